// A prefix is in use while any process of the user works in it, whatever shows it: Wine's
// server, Proton's lock, an open or mapped file, a working folder, the environment.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "FauxFoyer.h"
#include "platform/PrefixUse.h"
#include "platform/SystemError.h"
#include "tests/platform/FakeWineServer.h"

namespace fs = std::filesystem;

namespace {

// A child process that does `preparer`, takes the name `nom`, then waits to be killed.
class Enfant {
 public:
  Enfant(const char* nom, const std::function<bool()>& preparer) {
    int pret[2];
    if (::pipe(pret) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::prctl(PR_SET_NAME, nom);
      const bool ok = preparer();
      (void)!::write(pret[1], ok ? "1" : "0", 1);
      for (;;) ::pause();
    }
    ::close(pret[1]);
    char c = '0';
    pret_ = pid_ > 0 && ::read(pret[0], &c, 1) == 1 && c == '1';
    ::close(pret[0]);
  }
  // A program started with `environnement` added to this one's.
  Enfant(const char* programme, const std::vector<std::string>& environnement) {
    std::vector<std::string> textes = environnement;
    for (char** e = environ; *e != nullptr; ++e) textes.emplace_back(*e);
    std::vector<char*> env;
    for (std::string& t : textes) env.push_back(t.data());
    env.push_back(nullptr);
    char* argv[] = {const_cast<char*>(programme), const_cast<char*>("1000"), nullptr};
    pret_ = ::posix_spawn(&pid_, programme, nullptr, nullptr, argv, env.data()) == 0;
    // Until the new program runs, the child still shows this one's environment.
    for (int i = 0; pret_ && i < 500 && ::readlink(("/proc/" + std::to_string(pid_) + "/exe").c_str(),
                                                   lien_, sizeof lien_) > 0 &&
                    std::string_view(lien_).find("sleep") == std::string_view::npos;
         ++i) {
      ::usleep(2000);
    }
  }
  ~Enfant() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  bool pret() const { return pret_; }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  bool pret_ = false;
  char lien_[4096] = {};
};

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
      EXPECT_EQ(std::string(e.what()),
                "Le préfixe " + pfx_.string() + " est utilisé par jeu.exe (processus " +
                    std::to_string(jeu.pid()) +
                    ") : rien n'y a été effacé ; fermez ce programme, puis recommencez");
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

TEST_F(OccupationTest, TheEnvironmentNamesThePrefixOrItsCompatData) {
  ASSERT_TRUE(LienDossier(pfx_, racine_ / "lien"));
  {
    Enfant wine("/bin/sleep", {"WINEPREFIX=" + (racine_ / "lien").string() + "/"});
    ASSERT_TRUE(wine.pret());
    ExpectUtilisePar(wine.pid(), "sleep");
  }
  {
    Enfant proton("/bin/sleep", {"STEAM_COMPAT_DATA_PATH=" + (racine_ / "compatdata/1001").string()});
    ASSERT_TRUE(proton.pret());
    ExpectUtilisePar(proton.pid(), "sleep");
  }
  // Another prefix beside it is no reason.
  Enfant autre("/bin/sleep", {"WINEPREFIX=" + (racine_ / "compatdata/1002/pfx").string(),
                              "STEAM_COMPAT_DATA_PATH=" + (racine_ / "compatdata/1002").string()});
  ASSERT_TRUE(autre.pret());
  EXPECT_FALSE(os::prefixUser(pfx_));
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

}  // namespace
