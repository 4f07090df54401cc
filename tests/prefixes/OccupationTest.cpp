// A prefix is in use while a process of the user works in it (Wine's server, Proton's lock, an
// open or mapped file, a working folder, however long its path or its map list), or while a Wine
// process's environment names it; a process that only carries the variable is no reason. A watch
// over a run sees what starts in the prefix meanwhile.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <link.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "FauxFoyer.h"
#include "platform/PrefixUse.h"
#include "platform/SystemError.h"
#include "tests/platform/FakeWineServer.h"
#include "tests/support/Enfant.h"

namespace fs = std::filesystem;

namespace {

// The map list of process `pid`.
std::string Carte(pid_t pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/maps");
  std::ostringstream texte;
  texte << f.rdbuf();
  return texte.str();
}

// The name of process `pid`.
std::string Nom(pid_t pid) {
  std::string nom;
  std::getline(std::ifstream("/proc/" + std::to_string(pid) + "/comm"), nom);
  return nom;
}

// The environment of process `pid`, as /proc shows it.
std::string Environnement(pid_t pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/environ", std::ios::binary);
  std::ostringstream texte;
  texte << f.rdbuf();
  return texte.str();
}

// `programme` (/bin/sleep or a copy of it under another name, run as "sleep 1000") started with
// `environnement` before this one's (the first value of a variable is the one used). Ready once
// it runs and, when `attendu` is given, once its map list names that file. Killed with the object.
class Programme {
 public:
  Programme(const fs::path& programme, std::vector<std::string> environnement,
            const std::string& attendu = "") {
    for (char** e = environ; *e != nullptr; ++e) environnement.emplace_back(*e);
    std::vector<char*> env;
    for (std::string& t : environnement) env.push_back(t.data());
    env.push_back(nullptr);
    char* argv[] = {const_cast<char*>("sleep"), const_cast<char*>("1000"), nullptr};
    // posix_spawn returns as soon as the new program replaces the old one, before its name and
    // environment show under /proc (on a busy machine, a while before): both are awaited.
    pret_ = ::posix_spawn(&pid_, programme.c_str(), nullptr, nullptr, argv, env.data()) == 0;
    const std::string nom = programme.filename().string().substr(0, 15);
    for (int i = 0; pret_ && i < 1000 && (Nom(pid_) != nom || Environnement(pid_).empty()); ++i) {
      ::usleep(2000);
    }
    for (int i = 0; pret_ && !attendu.empty() && i < 1000; ++i) {
      if (Carte(pid_).find(attendu) != std::string::npos) return;
      ::usleep(2000);
    }
    pret_ = pret_ && attendu.empty();
  }
  ~Programme() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  Programme(const Programme&) = delete;
  Programme& operator=(const Programme&) = delete;
  bool pret() const { return pret_; }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  bool pret_ = false;
};

// A small shared library this test has loaded, which any program may load too.
fs::path Bibliotheque() {
  fs::path trouvee;
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* donnee) {
        const std::string nom = info->dlpi_name != nullptr ? info->dlpi_name : "";
        if (nom.find("libgcc_s.so") == std::string::npos) return 0;
        *static_cast<fs::path*>(donnee) = nom;
        return 1;
      },
      &trouvee);
  return trouvee;
}

// A Wine tree as a Wine build leaves one, below `racine`: a loader (a copy of sleep under
// Wine's name) and Wine's ntdll.so (a copy of a small library); and the same library named
// ntdll.so in a tree that is not Wine's.
struct FauxWine {
  explicit FauxWine(const fs::path& racine)
      : chargeur(racine / "wine-9.0/bin/wine-preloader"),
        ntdll(racine / "wine-9.0/lib/wine/x86_64-unix/ntdll.so"),
        autreNtdll(racine / "outils/lib/ntdll.so") {
    for (const fs::path& p : {chargeur, ntdll, autreNtdll}) fs::create_directories(p.parent_path());
    fs::copy_file("/bin/sleep", chargeur);
    fs::copy_file(Bibliotheque(), ntdll);
    fs::copy_file(Bibliotheque(), autreNtdll);
  }
  fs::path chargeur, ntdll, autreNtdll;
};

// A chain of folders below the folder open as `dossier` whose path from it is over `longueur`
// bytes, made a step at a time (no path that long may be given whole): the descriptor of each,
// the deepest last.
std::vector<int> CheminProfond(int dossier, std::size_t longueur, const std::string& nom) {
  std::vector<int> chaine{::dup(dossier)};
  for (std::size_t fait = 0; fait <= longueur; fait += nom.size() + 1) {
    if (::mkdirat(chaine.back(), nom.c_str(), 0700) != 0) break;
    chaine.push_back(::openat(chaine.back(), nom.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  }
  return chaine;
}

// Removes that chain (and a file `fichier` in its deepest folder) from the bottom up.
void EffacerChemin(std::vector<int>& chaine, const std::string& nom, const char* fichier) {
  ::unlinkat(chaine.back(), fichier, 0);
  for (std::size_t i = chaine.size() - 1; i > 0; --i) {
    ::close(chaine[i]);
    ::unlinkat(chaine[i - 1], nom.c_str(), AT_REMOVEDIR);
  }
  ::close(chaine.front());
}

class OccupationTest : public FauxFoyer {
 protected:
  void SetUp() override {
    FauxFoyer::SetUp();
    pfx_ = FairePrefixe(racine_ / "compatdata/1001/pfx");
    Ecrire(pfx_ / "drive_c/jeu/jeu.exe", std::string(8192, 'x'));
  }
  void ExpectUtilisePar(pid_t pid, const std::string& programme) {
    const std::optional<os::PrefixUser> u = os::prefixUser(pfx_);
    ASSERT_TRUE(u.has_value());
    EXPECT_EQ(u->pid, pid);
    EXPECT_EQ(u->program, programme);
  }
  std::string Refus(const std::string& programme, pid_t pid) const {
    return "Le préfixe " + pfx_.string() + " est utilisé par " + programme + " (processus " +
           std::to_string(pid) +
           ") : rien n'y a été effacé ; fermez ce programme, puis recommencez";
  }
  fs::path pfx_;
};

TEST_F(OccupationTest, FreeUntilAProcessHoldsAFileOpenInside) {
  EXPECT_FALSE(os::prefixUser(pfx_));
  EXPECT_NO_THROW(os::checkPrefixFree(pfx_));
  // This process's own open files never count.
  const int fd = ::open((pfx_ / "drive_c/jeu/jeu.exe").c_str(), O_RDONLY);
  EXPECT_FALSE(os::prefixUser(pfx_));
  {
    const std::string fichier = (pfx_ / "drive_c/jeu/jeu.exe").string();
    Enfant jeu("jeu.exe", [&] { return ::open(fichier.c_str(), O_RDONLY) >= 0; });
    ASSERT_TRUE(jeu.pret());
    ExpectUtilisePar(jeu.pid(), "jeu.exe");
    // Reached through a link to it, too.
    ASSERT_TRUE(LienDossier(pfx_, racine_ / "lien"));
    const std::vector<std::optional<os::PrefixUser>> u =
        os::prefixUsers({racine_ / "lien", racine_ / "compatdata", racine_ / "absent"});
    ASSERT_EQ(u.size(), 3u);
    EXPECT_TRUE(u[0] && u[0]->pid == jeu.pid());
    EXPECT_TRUE(u[1]);  // the folder holding it
    EXPECT_FALSE(u[2]);
    try {
      os::checkPrefixFree(pfx_);
      ADD_FAILURE() << "no error";
    } catch (const os::SystemError& e) {
      EXPECT_EQ(e.code(), os::error::SharingViolation);
      EXPECT_EQ(std::string(e.what()), Refus("jeu.exe", jeu.pid()));
    }
  }
  EXPECT_FALSE(os::prefixUser(pfx_));
  ::close(fd);
}

TEST_F(OccupationTest, AWorkingFolderOrAMappedFileInside) {
  const std::string dossier = (pfx_ / "drive_c/jeu").string();
  {
    Enfant dedans("dedans", [&] { return ::chdir(dossier.c_str()) == 0; });
    ASSERT_TRUE(dedans.pret());
    ExpectUtilisePar(dedans.pid(), "dedans");
  }
  const std::string fichier = dossier + "/jeu.exe";
  Enfant mappe("mappe", [&] {
    const int fd = ::open(fichier.c_str(), O_RDONLY);
    const bool ok = fd >= 0 && ::mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE, fd, 0) != MAP_FAILED;
    ::close(fd);  // the mapping stays
    return ok;
  });
  ASSERT_TRUE(mappe.pret());
  ExpectUtilisePar(mappe.pid(), "mappe");
}

// Paths the system will not print (over 4,095 bytes) and map lists over 8 MB.
TEST_F(OccupationTest, LongPathsAndLongMapLists) {
  const std::string nom(200, 'd');
  const int jeu = ::open((pfx_ / "drive_c/jeu").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  std::vector<int> chaine = CheminProfond(jeu, 4200, nom);
  ASSERT_GT(chaine.size(), 21u);
  ASSERT_GE(chaine.back(), 0);
  const int profond = chaine.back();
  // The children keep none of the folders this process holds open.
  const auto fermer = [&] {
    for (int fd : chaine) ::close(fd);
    ::close(jeu);
    return true;
  };
  {
    Enfant dedans("profond", [&] { return ::fchdir(profond) == 0 && fermer(); });
    ASSERT_TRUE(dedans.pret());
    ExpectUtilisePar(dedans.pid(), "profond");
  }
  {
    // A file held open there, from a working folder elsewhere.
    Enfant ouvert("ouvert", [&] {
      return ::openat(profond, "f.txt", O_RDWR | O_CREAT, 0600) >= 0 && fermer();
    });
    ASSERT_TRUE(ouvert.pret());
    ExpectUtilisePar(ouvert.pid(), "ouvert");
  }
  EffacerChemin(chaine, nom, "f.txt");
  ::close(jeu);
  EXPECT_FALSE(os::prefixUser(pfx_));

  // The game's file mapped first, thirty thousand regions of another file after it: they lie
  // below it, and their lines come first.
  const fs::path autre = racine_ / (std::string(240, 'r') + ".bin");
  Ecrire(autre, std::string(4096, 'r'));
  const std::string fichier = (pfx_ / "drive_c/jeu/jeu.exe").string();
  Enfant mappe("mappe", [&] {
    const int fd = ::open(fichier.c_str(), O_RDONLY);
    bool ok = fd >= 0 && ::mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE, fd, 0) != MAP_FAILED;
    ::close(fd);
    const int remplissage = ::open(autre.c_str(), O_RDONLY);
    for (int i = 0; ok && i < 30000; ++i) {
      ok = ::mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE, remplissage, 0) != MAP_FAILED;
    }
    ::close(remplissage);
    return ok;
  });
  ASSERT_TRUE(mappe.pret());
  const std::string carte = Carte(mappe.pid());
  ASSERT_GT(carte.size(), 8u << 20);
  ASSERT_GT(carte.find("jeu.exe"), 8u << 20);
  ExpectUtilisePar(mappe.pid(), "mappe");
}

TEST_F(OccupationTest, TheEnvironmentCountsOnlyForAWineProcess) {
  const FauxWine wine(racine_ / "arbres");
  ASSERT_TRUE(LienDossier(pfx_, racine_ / "lien"));
  const std::string lien = (racine_ / "lien").string() + "/";
  const std::string compat = (racine_ / "compatdata/1001").string();
  const std::string preload = "LD_PRELOAD=" + wine.ntdll.string();
  {
    // Only the variable: sleep, a program mapping a library named ntdll.so that is not Wine's.
    Programme prefixe("/bin/sleep", {"WINEPREFIX=" + lien});
    Programme proton("/bin/sleep", {"STEAM_COMPAT_DATA_PATH=" + compat});
    Programme outil("/bin/sleep", {"WINEPREFIX=" + lien, "LD_PRELOAD=" + wine.autreNtdll.string()},
                    wine.autreNtdll.string());
    ASSERT_TRUE(prefixe.pret() && proton.pret() && outil.pret());
    EXPECT_FALSE(os::prefixUser(pfx_));
  }
  {
    // A Wine process by the ntdll it maps, its prefix named through a link.
    Programme jeu("/bin/sleep", {"WINEPREFIX=" + lien, preload}, wine.ntdll.string());
    ASSERT_TRUE(jeu.pret());
    ExpectUtilisePar(jeu.pid(), "sleep");
  }
  {
    // By its loader, in the prefix Proton names.
    Programme jeu(wine.chargeur, {"STEAM_COMPAT_DATA_PATH=" + compat});
    ASSERT_TRUE(jeu.pret());
    ExpectUtilisePar(jeu.pid(), "wine-preloader");
  }
  {
    // Names that name nothing here: empty ones, relative ones (though they lead to the prefix
    // from the process's working folder), another prefix beside it.
    Programme vide(wine.chargeur, {"WINEPREFIX=", "STEAM_COMPAT_DATA_PATH="});
    Programme relatif(wine.chargeur,
                      {"WINEPREFIX=" + fs::relative(pfx_, fs::current_path()).string(),
                       "STEAM_COMPAT_DATA_PATH=" + fs::relative(compat).string()});
    Programme autre(wine.chargeur,
                    {"WINEPREFIX=" + (racine_ / "compatdata/1002/pfx").string(),
                     "STEAM_COMPAT_DATA_PATH=" + (racine_ / "compatdata/1002").string(), preload},
                    wine.ntdll.string());
    ASSERT_TRUE(vide.pret() && relatif.pret() && autre.pret());
    const std::vector<std::optional<os::PrefixUser>> u = os::prefixUsers({pfx_, Home()});
    EXPECT_FALSE(u[0]);
    EXPECT_FALSE(u[1]);
  }
  if (std::getenv("WINEPREFIX") == nullptr) {
    // Without WINEPREFIX, Wine works in ~/.wine.
    const fs::path defaut = FairePrefixe(Home() / ".wine");
    Programme jeu(wine.chargeur, {"HOME=" + Home().string()});
    ASSERT_TRUE(jeu.pret());
    const std::vector<std::optional<os::PrefixUser>> u = os::prefixUsers({defaut, pfx_});
    EXPECT_TRUE(u[0] && u[0]->pid == jeu.pid());
    EXPECT_FALSE(u[1]);
  }
}

TEST_F(OccupationTest, WinesServerAndProtonsLock) {
  {
    FakeWineServer serveur(pfx_);
    ASSERT_TRUE(serveur.started());
    const std::optional<os::PrefixUser> u = os::prefixUser(pfx_);
    ASSERT_TRUE(u);
    EXPECT_EQ(u->pid, serveur.pid());
  }
  fs::remove(pfx_ / "wineserver");
  Ecrire(racine_ / "compatdata/1001/pfx.lock", "");
  const std::string verrou = (racine_ / "compatdata/1001/pfx.lock").string();
  {
    Enfant proton("proton", [&] {
      const int fd = ::open(verrou.c_str(), O_RDWR);
      return fd >= 0 && ::flock(fd, LOCK_EX) == 0;
    });
    ASSERT_TRUE(proton.pret());
    const std::optional<os::PrefixUser> u = os::prefixUser(pfx_);
    ASSERT_TRUE(u);
    EXPECT_EQ(u->program, "Proton");  // a flock does not say whose it is
  }
  {
    Enfant proton("python3", [&] {
      const int fd = ::open(verrou.c_str(), O_RDWR);
      return fd >= 0 && ::lockf(fd, F_LOCK, 0) == 0;
    });
    ASSERT_TRUE(proton.pret());
    ExpectUtilisePar(proton.pid(), "python3");
  }
  EXPECT_FALSE(os::prefixUser(pfx_));
}

// The first look refuses as checkPrefixFree does; the later ones see what started since: a Wine
// process, a server, and a process that was starting at the first look (a launcher between fork
// and exec) and runs Wine now.
TEST_F(OccupationTest, AWatchSeesWhatStartsInThePrefixDuringARun) {
  const FauxWine wine(racine_ / "arbres");
  const std::string prefixe = "WINEPREFIX=" + pfx_.string();
  os::PrefixWatch veille(pfx_);
  {
    Programme jeu(wine.chargeur, {prefixe});
    ASSERT_TRUE(jeu.pret());
    try {
      veille.start();
      ADD_FAILURE() << "no error";
    } catch (const os::SystemError& e) {
      EXPECT_EQ(e.code(), os::error::SharingViolation);
      EXPECT_EQ(std::string(e.what()), Refus("wine-preloader", jeu.pid()));
    }
  }
  // Already there: a process that only carries the variable, and a launcher that will run Wine.
  Programme shell("/bin/sleep", {prefixe});
  std::vector<std::string> textes = {prefixe};
  for (char** e = environ; *e != nullptr; ++e) textes.emplace_back(*e);
  std::vector<char*> env;
  for (std::string& t : textes) env.push_back(t.data());
  env.push_back(nullptr);
  const std::string chargeur = wine.chargeur.string();
  int tube[2];
  ASSERT_EQ(::pipe(tube), 0);
  const pid_t lanceur = ::fork();
  if (lanceur == 0) {
    ::prctl(PR_SET_NAME, "lanceur");
    // Its own end of the writing side closed, the launcher also ends when the test does.
    ::close(tube[1]);
    char c;
    if (::read(tube[0], &c, 1) == 1) {
      char* argv[] = {const_cast<char*>("sleep"), const_cast<char*>("1000"), nullptr};
      ::execve(chargeur.c_str(), argv, env.data());
    }
    ::_exit(1);
  }
  ::close(tube[0]);
  // Whatever stops the test, the launcher goes with it.
  struct Fin {
    pid_t pid;
    int tube;
    ~Fin() {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
      ::close(tube);
    }
  } fin{lanceur, tube[1]};
  for (int i = 0; i < 1000 && Nom(lanceur) != "lanceur"; ++i) ::usleep(2000);
  ASSERT_TRUE(shell.pret());
  EXPECT_NO_THROW(veille.start());
  EXPECT_FALSE(veille.recheck());
  {
    Programme jeu(wine.chargeur, {prefixe});
    ASSERT_TRUE(jeu.pret());
    std::optional<os::PrefixUser> u = veille.recheck();
    ASSERT_TRUE(u);
    EXPECT_EQ(u->pid, jeu.pid());
    EXPECT_EQ(u->program, "wine-preloader");
    u = veille.recheck();  // still there: still told
    EXPECT_TRUE(u && u->pid == jeu.pid());
  }
  EXPECT_FALSE(veille.recheck());
  {
    FakeWineServer serveur(pfx_);
    ASSERT_TRUE(serveur.started());
    const std::optional<os::PrefixUser> u = veille.recheck();
    EXPECT_TRUE(u && u->pid == serveur.pid());
  }
  fs::remove(pfx_ / "wineserver");
  EXPECT_FALSE(veille.recheck());
  ASSERT_EQ(::write(tube[1], "!", 1), 1);
  std::optional<os::PrefixUser> u;
  for (int i = 0; i < 1000 && !u; ++i) {
    ::usleep(2000);
    u = veille.recheck();
  }
  EXPECT_TRUE(u && u->pid == lanceur);
}

}  // namespace
