// The real program on the command line, with a fake home, fake XDG folders and no display: it
// answers without ever opening a window, except for --prefixe, which opens them on its folder.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/kits/ligne/Programme.h"
#include "tests/support/Etat.h"

namespace fs = std::filesystem;

namespace {

TEST_F(ProgrammeTest, HelpVersionAndWrongOptionsWithoutADisplay) {
  const Sortie aide = Lancer({"--aide"});
  EXPECT_EQ(aide.code, 0);
  EXPECT_TRUE(aide.sortie.starts_with("Utilisation : tidora2000 [OPTION]...\n")) << aide.sortie;
  EXPECT_NE(aide.sortie.find("--prefixes"), std::string::npos);
  EXPECT_EQ(aide.erreurs, "");
  EXPECT_EQ(Lancer({"-h"}).sortie, aide.sortie);
  EXPECT_EQ(Lancer({"--help"}).sortie, aide.sortie);

  const Sortie version = Lancer({"--version"});
  EXPECT_EQ(version.code, 0);
  EXPECT_TRUE(version.sortie.starts_with("tidora2000 (Tidora 2000) 1.0\n")) << version.sortie;
  EXPECT_NE(version.sortie.find("GPL-3.0-or-later"), std::string::npos);

  for (const std::vector<std::string>& mauvais :
       {std::vector<std::string>{"--inconnue"}, {"-z"}, {"--prefixe"}, {"--tsv"}, {"x"}}) {
    const Sortie s = Lancer(mauvais);
    EXPECT_EQ(s.code, 2) << mauvais[0];
    EXPECT_EQ(s.sortie, "");
    EXPECT_TRUE(s.erreurs.starts_with("tidora2000 : ")) << s.erreurs;
    EXPECT_TRUE(s.erreurs.ends_with("\nEssayez « tidora2000 --aide ».\n")) << s.erreurs;
  }
  EXPECT_EQ(Lancer({"--inconnue"}).erreurs,
            "tidora2000 : option non reconnue « --inconnue »\nEssayez « tidora2000 --aide ».\n");
  EXPECT_FALSE(fs::exists(racine_ / "xdg/data/tidora"));  // no profile for any of these
}

TEST_F(ProgrammeTest, PrefixesOneLineEachLargestFirstWithTheirState) {
  const fs::path wine = FairePrefixe(Home() / ".wine");
  const fs::path steam = Home() / ".local/share/Steam/steamapps";
  const fs::path jeu = FairePrefixe(steam / "compatdata/4242/pfx");
  Ecrire(steam / "appmanifest_4242.acf", "\"AppState\" { \"name\" \"Jeu\tà onglet\" }");
  Ecrire(jeu / "drive_c/jeu/donnees.pak", std::string(300000, 'd'));
  const fs::path lutris = FairePrefixe(racine_ / "xdg/data/lutris-prefixe");
  Ecrire(racine_ / "xdg/data/lutris/games/l-1.yml", "game:\n  prefix: " + lutris.string() + "\n");
  Ecrire(lutris / "drive_c/x.dat", std::string(100000, 'x'));
  // The game holds a file of its prefix open.
  const pid_t occupant = ::fork();
  if (occupant == 0) {
    const int fd = ::open((jeu / "drive_c/jeu/donnees.pak").c_str(), O_RDONLY);
    (void)fd;
    for (;;) ::pause();
  }
  for (int i = 0; i < 500 && fs::is_empty("/proc/" + std::to_string(occupant) + "/fd"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const Sortie s = Lancer({"--prefixes"});
  ::kill(occupant, SIGKILL);
  ::waitpid(occupant, nullptr, 0);
  EXPECT_EQ(s.code, 0) << s.erreurs;
  EXPECT_EQ(s.erreurs, "");
  EXPECT_EQ(s.sortie, jeu.string() + "\tsteam\tJeu\\tà onglet\t" + std::to_string(Du(jeu / "drive_c")) +
                          "\toccupé\n" + lutris.string() + "\tlutris\tl\t" +
                          std::to_string(Du(lutris / "drive_c")) + "\tlibre\n" + wine.string() +
                          "\twine\t.wine\t" + std::to_string(Du(wine / "drive_c")) + "\tlibre\n");
  // A shell that exported WINEPREFIX and started the program from inside the prefix does not
  // make it busy; the script that started the program holding a file open there does.
  const std::string commande = "cd \"$1\" && \"$0\" --prefixes --tsv";
  const auto viaShell = [&] {
    int etat = 0;
    ::waitpid(Demarrer({"-c", commande, TIDORA_PROGRAMME, (wine / "drive_c").string()},
                       {"WINEPREFIX=" + wine.string()}, "/bin/sh"),
              &etat, 0);
    return Lire(racine_ / "sortie");
  };
  const std::string libre = viaShell();
  EXPECT_NE(libre.find(wine.string() + "\twine\t.wine\t"), std::string::npos) << libre;
  EXPECT_EQ(libre.find("occupé"), std::string::npos) << libre;
  const int ouvert = ::open((wine / "system.reg").c_str(), O_RDONLY);
  const std::string occupe = Lancer({"--prefixes"}).sortie;
  ::close(ouvert);
  EXPECT_NE(occupe.find("\twine\t.wine\t" + std::to_string(Du(wine / "drive_c")) + "\toccupé\n"),
            std::string::npos)
      << occupe;
}

// The program's own prefix may be made only where no other lies; --prefixe takes only a prefix
// as it stands.
TEST_F(ProgrammeTest, ARefusedPrefixIsSaidWithoutAWindowAndNothingIsCreated) {
  const Sortie maison = Lancer({}, {"TIDORA_PREFIX=" + Home().string()});
  EXPECT_EQ(maison.code, 1);
  EXPECT_EQ(maison.erreurs, "tidora2000 : Le dossier " + Home().string() +
                                " ne peut servir de préfixe : c'est le dossier personnel ; rien n'y "
                                "a été créé\n");
  FairePrefixe(racine_ / "Prefixes/Jeu 1");
  FairePrefixe(racine_ / "Prefixes/Jeu 2");
  const std::map<std::string, std::string> prefixes = Etat(racine_ / "Prefixes");
  const Sortie dossierDePrefixes = Lancer({}, {"TIDORA_PREFIX=" + (racine_ / "Prefixes").string()});
  EXPECT_EQ(dossierDePrefixes.code, 1);
  EXPECT_NE(dossierDePrefixes.erreurs.find("il contient d'autres préfixes (Jeu 1 et Jeu 2)"),
            std::string::npos)
      << dossierDePrefixes.erreurs;
  const Sortie choisi = Lancer({"--prefixe", (racine_ / "Prefixes").string()});
  EXPECT_EQ(choisi.code, 1);
  EXPECT_EQ(choisi.erreurs, "tidora2000 : Le dossier " + (racine_ / "Prefixes").string() +
                                " n'est pas un préfixe Wine : il n'a pas de dossier drive_c (le "
                                "lecteur C)\n");
  Ecrire(racine_ / "photos/vacances.jpg", "jpeg");
  EXPECT_EQ(Lancer({"--prefixe=" + (racine_ / "photos").string()}).code, 1);
  EXPECT_EQ(Lancer({}, {"TIDORA_PREFIX=" + (racine_ / "photos").string()}).code, 1);
  EXPECT_TRUE(fs::is_empty(Home()));
  EXPECT_EQ(std::distance(fs::directory_iterator(racine_ / "photos"), fs::directory_iterator()), 1);
  EXPECT_EQ(Etat(racine_ / "Prefixes"), prefixes);
}

// A missing folder, a mistyped one or an empty one is no prefix for the windows: refused, and
// neither it nor the program's own prefix is made instead.
TEST_F(ProgrammeTest, PrefixeOnAMissingOrMistypedFolderCreatesNothing) {
  const fs::path jeu = FairePrefixe(racine_ / "Jeux/Mon jeu");
  fs::create_directory(racine_ / "vide");
  const std::map<std::string, std::string> avant = Etat(racine_ / "Jeux");
  const std::vector<std::string> propre = {"TIDORA_PREFIX=" + (racine_ / "propre").string()};
  const auto refus = [](const fs::path& dossier, const char* pourquoi) {
    return "tidora2000 : Le dossier " + dossier.string() + " n'est pas un préfixe Wine : " +
           pourquoi + "\n";
  };
  for (const fs::path& absent : {racine_ / "absent/plus/loin", racine_ / "Jeux/Mon jue"}) {
    const Sortie s = Lancer({"--prefixe", absent.string()}, propre);
    EXPECT_EQ(s.code, 1) << absent;
    EXPECT_EQ(s.sortie, "");
    EXPECT_EQ(s.erreurs, refus(absent, "il n'existe pas"));
  }
  const Sortie vide = Lancer({"--prefixe=" + (racine_ / "vide").string()}, propre);
  EXPECT_EQ(vide.code, 1);
  EXPECT_EQ(vide.erreurs, refus(racine_ / "vide", "il n'a pas de dossier drive_c (le lecteur C)"));
  EXPECT_FALSE(fs::exists(racine_ / "absent"));
  EXPECT_FALSE(fs::exists(racine_ / "Jeux/Mon jue"));
  EXPECT_TRUE(fs::is_empty(racine_ / "vide"));
  EXPECT_EQ(Etat(racine_ / "Jeux"), avant);
  EXPECT_FALSE(fs::exists(racine_ / "propre"));
  EXPECT_FALSE(fs::exists(racine_ / "xdg/data/tidora"));
  EXPECT_TRUE(fs::is_empty(Home()));
}

// An existing prefix: the windows open on it, their help file beside the program; no sample
// traces (they are for the program's own fresh profile) and no profile of the program's own.
TEST_F(ProgrammeTest, PrefixeOpensTheWindowsOnThatFolder) {
  const fs::path choisi = FairePrefixe(racine_ / "choisi");
  const pid_t pid = Demarrer({"--prefixe", choisi.string()},
                             {"QT_QPA_PLATFORM=offscreen", "TIDORA_PREFIX=" + (racine_ / "autre").string()});
  const fs::path aide = choisi / "drive_c/Program Files/Tidora 2000/Tidora2000.hlp";
  for (int i = 0; i < 1500 && !fs::exists(aide); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const bool vivant = ::waitpid(pid, nullptr, WNOHANG) == 0;
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  EXPECT_TRUE(fs::exists(aide)) << Lire(racine_ / "erreurs");
  EXPECT_TRUE(vivant) << Lire(racine_ / "erreurs");
  EXPECT_FALSE(fs::exists(racine_ / "autre"));
  EXPECT_FALSE(fs::exists(choisi / ".first-start"));
  EXPECT_FALSE(fs::exists(choisi / "drive_c/Mes documents"));
}

}  // namespace
