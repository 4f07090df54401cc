// --apercu and --nettoyer, the real program on a prefix in a temporary folder (a fake home, no
// display): the preview lists exactly what the cleaning then deletes and the same summary, and
// writes nothing; a prefix in use, one without options and a folder that is no prefix are
// refused with nothing written; --tous says which prefixes it passed over; Ctrl-C stops a run
// cleanly.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <set>
#include <thread>

#include "tests/kits/ligne/Programme.h"
#include "tests/support/Enfant.h"
#include "tests/support/Etat.h"
#include "tests/support/Systeme.h"
#include "tests/support/Tirages.h"

namespace fs = std::filesystem;

namespace {

using Liste = std::vector<std::string>;

constexpr const char* kCleAdresses = "Software\\\\Microsoft\\\\Internet Explorer\\\\TypedURLs";

// What --apercu printed, by group.
struct ApercuLu {
  Liste fichiers, sensibles, valeurs, dossiers, resume;
  std::set<std::string> partants;  // host paths, relative to the prefix, of what goes
  bool nonSupprimable = false;
};

class NettoyageTest : public ProgrammeTest {
 protected:
  void SetUp() override {
    ProgrammeTest::SetUp();
    pfx_ = FairePrefixe(racine_ / "pfx");
  }
  void TearDown() override {
    for (const fs::path& p : verrous_) Liberer(p);
    ProgrammeTest::TearDown();
  }

  // A file of `taille` bytes at `relatif` below drive_c, its folders made.
  fs::path Fichier(const std::string& relatif, std::size_t taille = 1) {
    const fs::path p = pfx_ / "drive_c" / relatif;
    Ecrire(p, std::string(taille, 'x'));
    return p;
  }
  // The options as the options window saves them, one line each.
  void Options(const Liste& lignes) {
    std::string texte;
    for (const std::string& l : lignes) texte += l + "\r\n";
    Ecrire(pfx_ / "drive_c/Program Files/Tidora 2000/options.ini", texte);
  }
  // Values of the typed-address key, added to user.reg.
  void Adresses(const Liste& noms) {
    std::string texte = Lire(pfx_ / "user.reg");
    texte += "\n[" + std::string(kCleAdresses) + "] 1796641473\n";
    for (const std::string& n : noms) texte += "\"" + n + "\"=\"http://exemple.fr/\"\n";
    Ecrire(pfx_ / "user.reg", texte);
  }
  // The names of the values the typed-address key holds in user.reg now.
  Liste AdressesRestantes() const {
    const std::string texte = Lire(pfx_ / "user.reg");
    Liste noms;
    std::size_t i = texte.find("[" + std::string(kCleAdresses) + "]");
    if (i == std::string::npos) return noms;
    for (i = texte.find('\n', i); i != std::string::npos && i + 1 < texte.size() && texte[i + 1] != '[';
         i = texte.find('\n', i + 1)) {
      if (texte[i + 1] == '"') noms.push_back(texte.substr(i + 2, texte.find('"', i + 2) - i - 2));
    }
    return noms;
  }
  // The host path, relative to the prefix, of a Windows path on drive C.
  static std::string Hote(std::string windows) {
    std::string p = "drive_c";
    for (std::size_t i = 2; i < windows.size(); ++i) p += windows[i] == '\\' ? '/' : windows[i];
    return p;
  }

  static ApercuLu Analyser(const std::string& sortie) {
    ApercuLu lu;
    std::string groupe;
    std::istringstream lignes(sortie);
    for (std::string l; std::getline(lignes, l);) {
      if (l.find(" fichiers pour un total de") != std::string::npos) groupe = "résumé";
      if (groupe != "résumé" && l.ends_with(" :") && l.find('\t') == std::string::npos) {
        groupe = l;
        continue;
      }
      if (groupe == "résumé") {
        lu.resume.push_back(l);
      } else if (groupe == "Valeurs du registre :") {
        lu.valeurs.push_back(l);
      } else if (groupe == "Dossiers vides :") {
        lu.dossiers.push_back(l);
        lu.partants.insert(Hote(l));
      } else {
        (groupe.starts_with("Fichiers dans") ? lu.sensibles : lu.fichiers).push_back(l);
        const std::size_t tab = l.find('\t');
        if (l.find("\tnon supprimable") != std::string::npos) {
          lu.nonSupprimable = true;
        } else {
          lu.partants.insert(Hote(l.substr(0, tab)));
        }
      }
    }
    return lu;
  }

  // A process named `nom` that holds `fichier` open until it dies.
  static std::unique_ptr<Enfant> Occupant(const char* nom, const fs::path& fichier) {
    auto enfant = std::make_unique<Enfant>(nom, [fichier] { return ::open(fichier.c_str(), O_RDONLY) >= 0; });
    EXPECT_TRUE(enfant->pret());
    return enfant;
  }

  fs::path pfx_;
  std::vector<fs::path> verrous_;
};

// Random trees: names with accents and mixed case, read-only and hidden files, hard links, links
// to folders and files, files matched by two passes, "index.dat", undeletable files and folders,
// empty sub-folders of TEMP, typed addresses with gaps, random options; a Lutris game folder.
class NettoyageAleatoire : public NettoyageTest, public ::testing::WithParamInterface<int>,
                           public Tirages {
 protected:
  Liste fichiers, dossiers;

  void Remplir(const std::string& dossier, int profondeur) {
    static const Liste noms = {"a", "Partie", "partie", "Été", "ÉTÉ", "rapport1", "Rapport2",
                               "journal", "Ça va", "œuvre", ".caché"};
    static const Liste extensions = {".tmp", ".TMP", ".bak", ".log", ".cab", ".dat", ".txt",
                                     ".~1", ".$$$", ".old", ".doc", ".tmpx", ""};
    static const Liste sous = {"Données", "DONNÉES", "Sous", "sous", "Été 2024", "Saves"};
    fs::create_directories(pfx_ / "drive_c" / dossier);
    dossiers.push_back(dossier);
    for (std::size_t n = Hasard(6); n > 0; --n) {
      const std::string nom = Pile(12) ? "index.dat" : Un(noms) + Un(extensions);
      const fs::path p = Fichier(dossier + "/" + nom, Hasard(3000));
      fichiers.push_back(dossier + "/" + nom);
      if (Pile(4)) fs::permissions(p, fs::perms::owner_read | fs::perms::group_read);
      if (Pile(5)) ::setxattr(p.c_str(), "user.DOSATTRIB", "0x6", 3, 0);  // hidden, system
    }
    if (profondeur >= 2) return;
    for (std::size_t n = Hasard(3); n > 0; --n) Remplir(dossier + "/" + Un(sous), profondeur + 1);
    if (Pile(3)) fs::create_directories(pfx_ / "drive_c" / dossier / "Vide/vide aussi");
  }

  void Construire() {
    alea.seed(static_cast<unsigned>(GetParam()));
    for (const char* base : {"windows/temp", "windows/SYSBCKUP",
                             "users/steamuser/AppData/Local/Microsoft/Windows/INetCache",
                             "users/steamuser/AppData/Roaming/Microsoft/Windows/Recent",
                             "users/steamuser/AppData/Roaming/Studio/Jeu",
                             "users/steamuser/Documents/My Games/Jeu", "Program Files/Jeu",
                             "GOG Games/Un jeu", "Projets"}) {
      Remplir(base, static_cast<int>(Hasard(2)));
    }
    const Liste lieux = dossiers;
    std::error_code ec;
    const fs::path c = pfx_ / "drive_c";
    fs::create_directories(racine_ / "hors/sous");
    Ecrire(racine_ / "hors/garde.tmp", "dehors");
    for (int i = 0; i < 3; ++i) {
      fs::create_directory_symlink(Pile(2) ? racine_ / "hors" : c / Un(lieux),
                                   c / Un(lieux) / ("lien" + std::to_string(i)), ec);
      fs::create_symlink(Pile(3) ? fs::path("absent.tmp") : c / Un(fichiers),
                         c / Un(lieux) / ("lien" + std::to_string(i) + ".tmp"), ec);
      fs::create_hard_link(c / Un(fichiers), c / Un(lieux) / ("dur" + std::to_string(i) + ".tmp"), ec);
    }
    const fs::path fige = Fichier("windows/temp/Figé/dedans.tmp", 5).parent_path();
    for (const fs::path& p : {c / Un(fichiers), fige}) {
      if (RendreIndelebile(p)) verrous_.push_back(p);
    }
    Liste adresses;
    for (int n = 1; n <= 6; ++n) {
      if (!Pile(4)) adresses.push_back((Pile(2) ? "URL" : "url") + std::to_string(n));
    }
    adresses.push_back("url01");
    Adresses(adresses);

    Liste lignes = {"[Dossiers]"};
    const std::string profil = "C:\\users\\steamuser\\AppData\\";
    if (Pile(2)) lignes.push_back("Cache=" + profil + "Local\\Microsoft\\Windows\\INetCache");
    if (Pile(2)) lignes.push_back("Recent=" + profil + "Roaming\\Microsoft\\Windows\\Recent");
    if (!Pile(4)) lignes.push_back("Temp=C:\\windows\\temp");
    if (Pile(2)) lignes.push_back("Sbdr=C:\\windows\\SYSBCKUP");
    if (!Pile(4)) lignes.push_back("TypedURL=\\Software\\Microsoft\\Internet Explorer\\TypedURLs");
    lignes.push_back("[Fichiers]");
    const Liste masques = {"*.tmp", "*.bak", "*.gid", "*.chk", "*.log", "*.old", "*.---", "*.~*", "*.$*"};
    for (std::size_t i = 0; i < masques.size(); ++i) {
      if (Pile(2)) lignes.push_back("xt" + std::to_string(i + 1) + "=" + masques[i]);
    }
    if (Pile(2)) lignes.push_back("xt11=rapport?.doc");
    Options(lignes);
    // Lutris installed a game in this prefix.
    Ecrire(racine_ / "xdg/data/lutris/games/un-jeu-1.yml",
           "name: Un jeu\ngame:\n  exe: drive_c/GOG Games/Un jeu/jeu.exe\n  prefix: " +
               pfx_.string() + "\n");
  }
};

TEST_P(NettoyageAleatoire, ApercuListsExactlyWhatNettoyerThenDeletes) {
  Construire();
  const std::map<std::string, std::string> avant = Etat(pfx_);
  const Liste adressesAvant = AdressesRestantes();
  const Sortie apercu = Lancer({"--apercu", "--prefixe", pfx_.string()});
  ASSERT_EQ(apercu.code, 0) << apercu.erreurs;
  EXPECT_EQ(apercu.erreurs, "");
  EXPECT_EQ(Etat(pfx_), avant) << "the preview changed the prefix";
  const ApercuLu lu = Analyser(apercu.sortie);
  ASSERT_GE(lu.resume.size(), 2u) << apercu.sortie;
  for (const std::string& f : lu.sensibles) {
    EXPECT_TRUE(f.find("\\AppData\\Roaming\\") != std::string::npos ||
                f.find("\\Documents\\") != std::string::npos ||
                f.find(":\\Program Files\\") != std::string::npos ||
                f.find(":\\GOG Games\\") != std::string::npos)
        << f;
  }
  for (const std::string& f : lu.fichiers) {
    EXPECT_EQ(f.find(":\\GOG Games\\"), std::string::npos) << f;
    EXPECT_EQ(f.find("\\Studio\\"), std::string::npos) << f;
  }

  const Sortie nettoyage = Lancer({"--nettoyer", "--prefixe", pfx_.string()});
  EXPECT_EQ(nettoyage.code, lu.nonSupprimable ? 1 : 0) << nettoyage.erreurs;
  std::string resume;
  for (const std::string& l : lu.resume) resume += l + '\n';
  EXPECT_EQ(nettoyage.sortie, resume);  // no terminal: the summary alone

  const std::map<std::string, std::string> apres = Etat(pfx_);
  std::set<std::string> partis;
  for (const auto& [chemin, quoi] : avant) {
    if (!apres.contains(chemin)) partis.insert(chemin);
  }
  EXPECT_EQ(partis, lu.partants);
  Liste purgees;
  for (const std::string& v : lu.valeurs) purgees.push_back(v.substr(v.rfind('\\') + 1));
  Liste restantes = AdressesRestantes();
  for (const std::string& n : adressesAvant) {
    const bool purgee = std::find(purgees.begin(), purgees.end(), n) != purgees.end();
    EXPECT_NE(std::find(restantes.begin(), restantes.end(), n) != restantes.end(), purgee) << n;
  }
  EXPECT_TRUE(fs::exists(racine_ / "hors/garde.tmp"));
}

INSTANTIATE_TEST_SUITE_P(Graines, NettoyageAleatoire, ::testing::Range(1, 5));

// A process with a file open in the prefix, and no Wine server anywhere: --nettoyer refuses the
// prefix, naming the process, and deletes nothing; --apercu still shows what a run would do.
TEST_F(NettoyageTest, APrefixInUseIsRefusedWithNothingDeleted) {
  Fichier("windows/temp/a.tmp", 10);
  Fichier("jeu/sauve.dat", 10);
  Adresses({"url1"});
  Options({"[Dossiers]", "Temp=C:\\windows\\temp",
           "TypedURL=\\Software\\Microsoft\\Internet Explorer\\TypedURLs", "[Fichiers]"});
  const std::map<std::string, std::string> avant = Etat(pfx_);
  std::unique_ptr<Enfant> jeu = Occupant("Jeu.exe", pfx_ / "drive_c/jeu/sauve.dat");
  const pid_t occupant = jeu->pid();
  const Sortie nettoyage = Lancer({"--nettoyer", "--prefixe", pfx_.string()});
  const Sortie apercu = Lancer({"--apercu", "--prefixe", pfx_.string()});
  jeu.reset();
  EXPECT_EQ(nettoyage.code, 2);
  EXPECT_EQ(nettoyage.sortie, "");
  EXPECT_NE(nettoyage.erreurs.find("est utilisé par Jeu.exe (processus " +
                                   std::to_string(occupant) + ")"),
            std::string::npos)
      << nettoyage.erreurs;
  EXPECT_NE(nettoyage.erreurs.find("rien n'y a été effacé"), std::string::npos);
  EXPECT_EQ(Etat(pfx_), avant);
  EXPECT_EQ(apercu.code, 0) << apercu.erreurs;
  EXPECT_EQ(apercu.sortie,
            "Fichiers :\nC:\\windows\\temp\\a.tmp\t10\nValeurs du registre :\n"
            "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs\\url1\n"
            "1 fichiers pour un total de\n1 kO\n");
  EXPECT_NE(apercu.erreurs.find("processus " + std::to_string(occupant)), std::string::npos)
      << apercu.erreurs;
  // Once it is gone, the same command cleans.
  EXPECT_EQ(Lancer({"--nettoyer"}, {"TIDORA_PREFIX=" + pfx_.string()}).code, 0);
  EXPECT_FALSE(fs::exists(pfx_ / "drive_c/windows/temp/a.tmp"));
}

// A walk holds one open folder a level: a tree deeper than the soft limit of open files it was
// started with is still cleaned to its bottom, and its emptied folders go.
TEST_F(NettoyageTest, ATreeDeeperThanTheOpenFileLimitIsCleanedWhole) {
  std::string profond = "windows/temp";
  for (int i = 0; i < 200; ++i) profond += "/d";
  Fichier(profond + "/fond.tmp", 3);
  Options({"[Dossiers]", "Temp=C:\\windows\\temp", "[Fichiers]"});
  rlimit avant{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &avant), 0);
  if (avant.rlim_max != RLIM_INFINITY && avant.rlim_max < 512) {
    GTEST_SKIP() << "la limite dure de fichiers ouverts est trop basse";
  }
  rlimit basse = avant;
  basse.rlim_cur = 64;  // inherited by the program started below
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &basse), 0);
  const Sortie s = Lancer({"--nettoyer", "--prefixe", pfx_.string()});
  ::setrlimit(RLIMIT_NOFILE, &avant);
  EXPECT_EQ(s.code, 0) << s.erreurs;
  EXPECT_FALSE(fs::exists(pfx_ / "drive_c/windows/temp/d"));
  EXPECT_TRUE(fs::is_directory(pfx_ / "drive_c/windows/temp"));
}

// No options, no prefix: said in French, status 2, and nothing at all written (no profile, no
// program folder, no hive, no lock).
TEST_F(NettoyageTest, WithoutOptionsOrWithoutAPrefixNothingIsWrittenAndItIsSaid) {
  Fichier("windows/temp/a.tmp");
  const std::map<std::string, std::string> avant = Etat(pfx_);
  for (const char* action : {"--apercu", "--nettoyer"}) {
    const Sortie s = Lancer({action, "--prefixe", pfx_.string()});
    EXPECT_EQ(s.code, 2) << action;
    EXPECT_EQ(s.sortie, "") << action;
    EXPECT_NE(s.erreurs.find("n'a pas d'options validées"), std::string::npos) << s.erreurs;
  }
  EXPECT_EQ(Etat(pfx_), avant);
  // A pipe in the options' place holds none, and never holds the program up.
  const fs::path tube = pfx_ / "drive_c/Program Files/Tidora 2000/options.ini";
  fs::create_directories(tube.parent_path());
  ASSERT_EQ(::mkfifo(tube.c_str(), 0600), 0);
  for (const char* action : {"--apercu", "--nettoyer"}) {
    const Sortie s = Lancer({action, "--prefixe", pfx_.string()});
    EXPECT_EQ(s.code, 2) << action;
    EXPECT_NE(s.erreurs.find("n'a pas d'options validées"), std::string::npos) << s.erreurs;
  }
  EXPECT_TRUE(fs::exists(pfx_ / "drive_c/windows/temp/a.tmp"));
  fs::remove_all(tube.parent_path().parent_path());

  const fs::path sansRuche = racine_ / "sans-ruche";
  fs::create_directories(sansRuche / "drive_c/windows");
  const fs::path absent = racine_ / "absent";
  for (const char* action : {"--apercu", "--nettoyer"}) {
    const Sortie s = Lancer({action, "--prefixe", sansRuche.string()});
    EXPECT_EQ(s.code, 2);
    EXPECT_EQ(s.erreurs, "tidora2000 : Le dossier " + sansRuche.string() +
                             " n'est pas un préfixe Wine : il n'a pas de fichier user.reg (le "
                             "registre de l'utilisateur)\n");
    const Sortie a = Lancer({action}, {"TIDORA_PREFIX=" + absent.string()});
    EXPECT_EQ(a.code, 2);
    EXPECT_NE(a.erreurs.find("n'est pas un préfixe Wine : il n'existe pas"), std::string::npos)
        << a.erreurs;
    EXPECT_EQ(Lancer({action, "--prefixe", Home().string()}).code, 2);
  }
  EXPECT_EQ(Etat(sansRuche).size(), 2u);
  EXPECT_FALSE(fs::exists(absent));
  EXPECT_TRUE(fs::is_empty(Home()));
  EXPECT_FALSE(fs::exists(racine_ / "xdg/data/tidora"));
}

// What lies in a folder, by path relative to it, whatever each entry holds.
std::set<std::string> Listing(const fs::path& dossier) {
  std::set<std::string> chemins;
  for (const auto& [chemin, quoi] : Etat(dossier)) chemins.insert(chemin);
  return chemins;
}

std::set<std::string> Sauf(std::set<std::string> chemins, const std::set<std::string>& partis) {
  for (const std::string& p : partis) EXPECT_EQ(chemins.erase(p), 1u) << p;
  return chemins;
}

// The command line leaves no file of the program's own in a prefix it works on (no lock, no
// options, no help file, no profile): each prefix holds afterwards what it held, less what the
// run deleted, even where the purged key had to be made.
TEST_F(NettoyageTest, ApercuAndNettoyerLeaveNoFileOfTheirOwnInThePrefixes) {
  Fichier("windows/temp/a.tmp");
  fs::create_directories(pfx_ / "drive_c/windows/temp/vide");
  Fichier("Projets/b.tmp");
  Fichier("Projets/garde.txt");
  Options({"[Dossiers]", "Temp=C:\\windows\\temp",
           "TypedURL=\\Software\\Microsoft\\Internet Explorer\\TypedURLs", "[Fichiers]",
           "xt1=*.tmp"});
  const std::set<std::string> avant = Listing(pfx_);
  EXPECT_EQ(Lancer({"--apercu", "--prefixe", pfx_.string()}).code, 0);
  EXPECT_EQ(Listing(pfx_), avant);
  const Sortie nettoyage = Lancer({"--nettoyer", "--prefixe", pfx_.string()});
  EXPECT_EQ(nettoyage.code, 0) << nettoyage.erreurs;
  EXPECT_EQ(Listing(pfx_), Sauf(avant, {"drive_c/windows/temp/a.tmp", "drive_c/windows/temp/vide",
                                        "drive_c/Projets/b.tmp"}));
  EXPECT_NE(Lire(pfx_ / "user.reg").find("[" + std::string(kCleAdresses) + "]"), std::string::npos)
      << "the hive was not saved";

  const fs::path wine = FairePrefixe(Home() / ".wine");
  Ecrire(wine / "drive_c/windows/temp/w.tmp", "w");
  Ecrire(wine / "drive_c/Program Files/Tidora 2000/options.ini",
         "[Dossiers]\r\nTemp=C:\\windows\\temp\r\n[Fichiers]\r\n");
  const fs::path steam = FairePrefixe(Home() / ".local/share/Steam/steamapps/compatdata/10/pfx");
  Ecrire(steam / "drive_c/windows/temp/s.tmp", "s");
  const std::set<std::string> avantWine = Listing(wine), avantSteam = Listing(steam);
  const std::set<std::string> apresPfx = Listing(pfx_);
  EXPECT_EQ(Lancer({"--apercu"}, {"TIDORA_PREFIX=" + wine.string()}).code, 0);
  EXPECT_EQ(Listing(wine), avantWine);
  const Sortie tous = Lancer({"--nettoyer", "--tous"});
  EXPECT_EQ(tous.code, 0) << tous.erreurs;
  EXPECT_NE(tous.sortie.find("Total : 1 préfixe nettoyé, 1 ignoré ;"), std::string::npos)
      << tous.sortie;
  EXPECT_EQ(Listing(wine), Sauf(avantWine, {"drive_c/windows/temp/w.tmp"}));
  EXPECT_EQ(Listing(steam), avantSteam);
  EXPECT_EQ(Listing(pfx_), apresPfx);
}

// --tous cleans each prefix found with validated options and not in use, says which it passed
// over and why, and gives the total.
TEST_F(NettoyageTest, TousCleansThosePrefixesItMaySaysWhichItSkippedAndTotals) {
  const fs::path wine = FairePrefixe(Home() / ".wine");
  Ecrire(wine / "drive_c/windows/temp/a.tmp", std::string(2000, 'a'));
  Ecrire(wine / "drive_c/windows/temp/b.tmp", "b");
  Ecrire(wine / "drive_c/Program Files/Tidora 2000/options.ini",
         "[Dossiers]\r\nTemp=C:\\windows\\temp\r\n[Fichiers]\r\n");
  const fs::path steam = FairePrefixe(Home() / ".local/share/Steam/steamapps/compatdata/10/pfx");
  Ecrire(steam / "drive_c/windows/temp/s.tmp", "s");
  const fs::path lutris = FairePrefixe(racine_ / "lutris-pfx");
  Ecrire(racine_ / "xdg/data/lutris/games/l-1.yml", "game:\n  prefix: " + lutris.string() + "\n");
  Ecrire(lutris / "drive_c/windows/temp/l.tmp", "l");
  Ecrire(lutris / "drive_c/Program Files/Tidora 2000/options.ini",
         "[Dossiers]\r\nTemp=C:\\windows\\temp\r\n[Fichiers]\r\n");
  std::unique_ptr<Enfant> jeu = Occupant("Jeu.exe", lutris / "drive_c/windows/temp/l.tmp");
  const pid_t occupant = jeu->pid();
  const Sortie s = Lancer({"--nettoyer", "--tous"});
  jeu.reset();
  EXPECT_EQ(s.code, 0) << s.erreurs;
  EXPECT_EQ(s.erreurs, "");
  EXPECT_EQ(s.sortie,
            "Préfixe « 10 » (steam) : " + steam.string() + " : ignoré, pas d'options validées\n" +
                "Préfixe « l » (lutris) : " + lutris.string() +
                " : ignoré, occupé par Jeu.exe (processus " + std::to_string(occupant) +
                ")\n" + "Préfixe « .wine » (wine) : " + wine.string() +
                "\n2 fichiers pour un total de\n2 kO\n"
                "Total : 1 préfixe nettoyé, 2 ignorés ; 2 fichiers pour un total de 2 kO\n");
  EXPECT_FALSE(fs::exists(wine / "drive_c/windows/temp/a.tmp"));
  EXPECT_TRUE(fs::exists(steam / "drive_c/windows/temp/s.tmp"));
  EXPECT_TRUE(fs::exists(lutris / "drive_c/windows/temp/l.tmp"));
  EXPECT_FALSE(fs::exists(steam / "drive_c/Program Files"));  // nothing created where skipped
}

// Ctrl-C during a run: the pass in progress ends, no further pass starts, the summary still
// comes, and the status says the cleaning did not end.
TEST_F(NettoyageTest, CtrlCStopsTheRunCleanly) {
  for (int d = 0; d < 100; ++d) {
    for (int f = 0; f < 200; ++f) {
      Ecrire(pfx_ / "drive_c/windows/temp" / ("d" + std::to_string(d)) / (std::to_string(f) + ".txt"), "x");
    }
  }
  Fichier("Projets/journal.log");
  Options({"[Dossiers]", "Temp=C:\\windows\\temp", "[Fichiers]", "xt5=*.log"});
  const pid_t pid = Demarrer({"--nettoyer", "--prefixe", pfx_.string()}, {});
  // Once it catches SIGINT, the run is about to start.
  const std::string etat = "/proc/" + std::to_string(pid) + "/status";
  bool pret = false;
  for (int i = 0; i < 200000 && !pret; ++i) {
    std::istringstream lignes(Lire(etat));
    for (std::string l; std::getline(lignes, l);) {
      if (l.starts_with("SigCgt:")) pret = (std::stoull(l.substr(7), nullptr, 16) & 2u) != 0;
    }
  }
  ASSERT_TRUE(pret);
  ::kill(pid, SIGINT);
  int statut = 0;
  ::waitpid(pid, &statut, 0);
  ASSERT_TRUE(WIFEXITED(statut)) << "ended by a signal";
  EXPECT_EQ(WEXITSTATUS(statut), 2);
  EXPECT_EQ(Lire(racine_ / "erreurs"), "tidora2000 : nettoyage interrompu\n");
  EXPECT_NE(Lire(racine_ / "sortie").find(" fichiers pour un total de\n"), std::string::npos);
  EXPECT_TRUE(fs::exists(pfx_ / "drive_c/Projets/journal.log"));  // its pass never began
  std::size_t restants = 0;
  for (const auto& e : fs::recursive_directory_iterator(pfx_ / "drive_c/windows/temp")) {
    restants += e.is_regular_file() ? 1 : 0;
  }
  EXPECT_GT(restants, 0u);
}

}  // namespace
