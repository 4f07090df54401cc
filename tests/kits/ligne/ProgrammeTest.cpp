// The real program on the command line, with a fake home, fake XDG folders and no display: it
// answers without ever opening a window, except for a target alone, which opens them on it; each
// way of naming a target, its ambiguities and its refusals, with nothing created.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <thread>

#include "tests/kits/ligne/Programme.h"
#include "tests/support/Etat.h"

namespace fs = std::filesystem;

namespace {

TEST_F(ProgrammeTest, HelpVersionAndWrongOptionsWithoutADisplay) {
  const Sortie aide = Lancer({"--aide"});
  EXPECT_EQ(aide.code, 0);
  EXPECT_TRUE(aide.sortie.starts_with("Utilisation : tidora2000 [OPTION]... [CIBLE]\n"))
      << aide.sortie;
  // Every option has its line, every line fits in 80 columns.
  std::string options;
  std::istringstream lignes(aide.sortie);
  for (std::string l; std::getline(lignes, l);) {
    EXPECT_LE(std::count_if(l.begin(), l.end(), [](char c) { return (c & 0xC0) != 0x80; }), 80)
        << l;
    if (l.find_first_not_of(' ') != std::string::npos && l[l.find_first_not_of(' ')] == '-') {
      options += l + '\n';
    }
  }
  for (const char* option : {"--prefixe=", "--prefix=", "--apercu", "--nettoyer", "--tous",
                             "--prefixes", "--tsv", "--json", "--choix[=", "--masques=",
                             "--sauvegardes=", "--choisir", "--aide", "--help", "--version"}) {
    EXPECT_NE(options.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(aide.erreurs, "");
  EXPECT_EQ(Lancer({"-h"}).sortie, aide.sortie);
  EXPECT_EQ(Lancer({"--help"}).sortie, aide.sortie);

  const Sortie version = Lancer({"--version"});
  EXPECT_EQ(version.code, 0);
  EXPECT_TRUE(version.sortie.starts_with("tidora2000 (Tidora 2000) 1.0\n")) << version.sortie;
  EXPECT_NE(version.sortie.find("GPL-3.0-or-later"), std::string::npos);

  for (const std::vector<std::string>& mauvais : {std::vector<std::string>{"--inconnue"},
                                                  {"-z"},
                                                  {"--prefixe"},
                                                  {"--tsv"},
                                                  {"a", "b"},
                                                  {"--choix=Cache,inconnu"}}) {
    const Sortie s = Lancer(mauvais);
    EXPECT_EQ(s.code, 2) << mauvais[0];
    EXPECT_EQ(s.sortie, "");
    EXPECT_TRUE(s.erreurs.starts_with("tidora2000 : ")) << s.erreurs;
    EXPECT_TRUE(s.erreurs.ends_with("\nEssayez « tidora2000 --aide ».\n")) << s.erreurs;
  }
  EXPECT_EQ(Lancer({"--inconnue"}).erreurs,
            "tidora2000 : option non reconnue « --inconnue »\nEssayez « tidora2000 --aide ».\n");
  EXPECT_FALSE(fs::exists(racine_ / "xdg"));  // no profile, no choices for any of these
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
  const Sortie json = Lancer({"--prefixes", "--json"});
  ::kill(occupant, SIGKILL);
  ::waitpid(occupant, nullptr, 0);
  EXPECT_EQ(s.code, 0) << s.erreurs;
  EXPECT_EQ(s.erreurs, "");
  // No terminal: tab-separated lines, a header first, the state in ASCII.
  EXPECT_EQ(s.sortie, "chemin\torigine\tappid\tnom\toctets\tetat\tprogramme\tpid\tdesinstalle\n" +
                          jeu.string() + "\tsteam\t4242\tJeu\\tà onglet\t" +
                          std::to_string(Du(jeu / "drive_c")) + "\toccupe\tligne_programme\t" +
                          std::to_string(occupant) + "\tnon\n" + lutris.string() +
                          "\tlutris\t\tl\t" + std::to_string(Du(lutris / "drive_c")) +
                          "\tlibre\t\t\tnon\n" + wine.string() + "\twine\t\t.wine\t" +
                          std::to_string(Du(wine / "drive_c")) + "\tlibre\t\t\tnon\n");
  EXPECT_EQ(json.code, 0) << json.erreurs;
  const nlohmann::json j = nlohmann::json::parse(json.sortie);
  ASSERT_EQ(j.size(), 3u);
  EXPECT_EQ(j[0]["chemin"], jeu.string());
  EXPECT_EQ(j[0]["nom"], "Jeu\tà onglet");
  EXPECT_EQ(j[0]["appid"], "4242");
  EXPECT_EQ(j[0]["processus"]["pid"], occupant);
  EXPECT_EQ(j[2]["octets"], Du(wine / "drive_c"));
  EXPECT_TRUE(j[2]["processus"].is_null());
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
  EXPECT_NE(libre.find(wine.string() + "\twine\t\t.wine\t" + std::to_string(Du(wine / "drive_c")) +
                       "\tlibre\t"),
            std::string::npos)
      << libre;
  EXPECT_EQ(libre.find("\toccupe\t"), std::string::npos) << libre;
  const int ouvert = ::open((wine / "system.reg").c_str(), O_RDONLY);
  const std::string occupe = Lancer({"--prefixes"}).sortie;
  ::close(ouvert);
  EXPECT_NE(occupe.find(wine.string() + "\twine\t\t.wine\t" + std::to_string(Du(wine / "drive_c")) +
                        "\toccupe\tligne_programme\t" + std::to_string(::getpid()) + "\tnon\n"),
            std::string::npos)
      << occupe;
}

// The program's own prefix may be made only where no other lies; a target is only a prefix as
// it stands.
TEST_F(ProgrammeTest, ARefusedPrefixIsSaidWithoutAWindowAndNothingIsCreated) {
  const Sortie maison = Lancer({}, {"TIDORA_PREFIX=" + Home().string()});
  EXPECT_EQ(maison.code, 2);
  EXPECT_EQ(maison.erreurs,
            "tidora2000 : Le dossier " + Home().string() +
                " ne peut servir de préfixe : c'est le dossier personnel ; rien n'y "
                "a été créé\n");
  FairePrefixe(racine_ / "Prefixes/Jeu 1");
  FairePrefixe(racine_ / "Prefixes/Jeu 2");
  const std::map<std::string, std::string> prefixes = Etat(racine_ / "Prefixes");
  const Sortie dossierDePrefixes = Lancer({}, {"TIDORA_PREFIX=" + (racine_ / "Prefixes").string()});
  EXPECT_EQ(dossierDePrefixes.code, 2);
  EXPECT_NE(dossierDePrefixes.erreurs.find("il contient d'autres préfixes (Jeu 1 et Jeu 2)"),
            std::string::npos)
      << dossierDePrefixes.erreurs;
  const Sortie choisi = Lancer({"--prefixe", (racine_ / "Prefixes").string()});
  EXPECT_EQ(choisi.code, 2);
  EXPECT_EQ(choisi.erreurs, "tidora2000 : Le dossier " + (racine_ / "Prefixes").string() +
                                " n'est pas un préfixe Wine (il lui faut un vrai dossier drive_c et un registre, "
                                "system.reg ou user.reg), ni le dossier compatdata d'un jeu, ni le "
                                "drive_c d'un préfixe\n");
  Ecrire(racine_ / "photos/vacances.jpg", "jpeg");
  EXPECT_EQ(Lancer({"--prefixe=" + (racine_ / "photos").string()}).code, 2);
  EXPECT_EQ(Lancer({(racine_ / "photos").string()}).code, 2);
  EXPECT_EQ(Lancer({}, {"TIDORA_PREFIX=" + (racine_ / "photos").string()}).code, 2);
  EXPECT_TRUE(fs::is_empty(Home()));
  EXPECT_EQ(std::distance(fs::directory_iterator(racine_ / "photos"), fs::directory_iterator()), 1);
  EXPECT_EQ(Etat(racine_ / "Prefixes"), prefixes);
}

// A missing folder, a mistyped one or an empty one is no prefix: refused for the windows, the
// preview and the cleaning alike, and neither it nor the program's own prefix is made instead.
TEST_F(ProgrammeTest, AMissingOrMistypedFolderCreatesNothing) {
  FairePrefixe(racine_ / "Jeux/Mon jeu");
  fs::create_directory(racine_ / "vide");
  Ecrire(racine_ / "fichier", "x");
  const std::map<std::string, std::string> avant = Etat(racine_ / "Jeux");
  const std::vector<std::string> propre = {"TIDORA_PREFIX=" + (racine_ / "propre").string()};
  for (const std::vector<std::string>& action :
       {std::vector<std::string>{}, {"--apercu"}, {"--nettoyer"}, {"--apercu", "--tsv"}}) {
    const auto lancer = [&](const std::string& cible) {
      std::vector<std::string> a = action;
      a.push_back("--prefixe=" + cible);
      return Lancer(a, propre);
    };
    for (const std::string& absent :
         {(racine_ / "absent/plus/loin").string(), (racine_ / "Jeux/Mon jue").string(),
          std::string("./absent"), std::string("~/absent"), std::string("Jeux/Mon jue/")}) {
      const Sortie s = lancer(absent);
      EXPECT_EQ(s.code, 2) << absent;
      EXPECT_EQ(s.sortie, "");
      EXPECT_EQ(s.erreurs,
                "tidora2000 : Le dossier " + absent + " n'existe pas : rien n'a été créé\n");
    }
    const Sortie fichier = lancer((racine_ / "fichier").string());
    EXPECT_EQ(fichier.code, 2);
    EXPECT_EQ(fichier.erreurs, "tidora2000 : Le dossier " + (racine_ / "fichier").string() +
                                   " n'est pas un dossier : rien n'a été créé\n");
    const Sortie vide = lancer((racine_ / "vide").string());
    EXPECT_EQ(vide.code, 2);
    EXPECT_EQ(vide.erreurs,
              "tidora2000 : Le dossier " + (racine_ / "vide").string() +
                  " n'est pas un préfixe Wine (il lui faut un vrai dossier drive_c et un registre, "
                  "system.reg ou user.reg), ni le dossier compatdata d'un jeu, ni le drive_c d'un "
                  "préfixe\n");
  }
  EXPECT_FALSE(fs::exists(racine_ / "absent"));
  EXPECT_FALSE(fs::exists(racine_ / "Jeux/Mon jue"));
  EXPECT_TRUE(fs::is_empty(racine_ / "vide"));
  EXPECT_EQ(Etat(racine_ / "Jeux"), avant);
  EXPECT_FALSE(fs::exists(racine_ / "propre"));
  EXPECT_FALSE(fs::exists(racine_ / "xdg"));
  EXPECT_TRUE(fs::is_empty(Home()));
}

// The prefix --apercu --json reports for `arguments`: "<folder> <name>", or what went wrong.
std::string Designe(const Sortie& s) {
  if (s.code != 0) return "(code " + std::to_string(s.code) + ") " + s.erreurs;
  const nlohmann::json j = nlohmann::json::parse(s.sortie, nullptr, false);
  if (j.is_discarded() || j["prefixes"].size() != 1) return "(pas un aperçu) " + s.sortie;
  return j["prefixes"][0]["chemin"].get<std::string>() + " " +
         j["prefixes"][0]["nom"].get<std::string>();
}

// Every way of naming a prefix reaches it: its folder (absolute, relative, with a final "/"), its
// compatdata/<appid> folder, its drive_c, its game's number, its game's name in any case or a
// part of it; as an argument, --prefixe or --prefix. A name the same as a game's wins over the
// names that hold it. A prefix no launcher lists is a plain Wine prefix named after its folder.
TEST_F(ProgrammeTest, EachWayOfNamingATargetReachesItsPrefix) {
  const fs::path jeu = JeuSteam(Steam(), "1245620", "Stratégie Antique");
  JeuSteam(Steam(), "1001", "Anneau de Cendre");
  const fs::path court = JeuSteam(Steam(), "1002", "Anneau");
  const fs::path seul = FairePrefixe(racine_ / "ailleurs/mon-pfx");
  const auto apercu = [&](std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"--apercu", "--json"});
    return Designe(Lancer(arguments));
  };
  const std::string attendu = jeu.string() + " Stratégie Antique";
  const fs::path compat = jeu.parent_path();
  for (const std::vector<std::string>& a :
       std::vector<std::vector<std::string>>{{jeu.string()},
                                             {jeu.string() + "/"},
                                             {fs::relative(jeu, racine_).string()},
                                             {compat.string()},
                                             {(jeu / "drive_c").string()},
                                             {(jeu / "drive_c/").string()},
                                             {"1245620"},
                                             {"stratégie antique"},
                                             {"Antique"},
                                             {"gie Ant"},
                                             {"--prefixe", "1245620"},
                                             {"--prefix=" + compat.string()},
                                             {"--prefix", (jeu / "drive_c").string()},
                                             {"--", "Antique"}}) {
    EXPECT_EQ(apercu(a), attendu) << a.back();
  }
  EXPECT_EQ(apercu({"anneau"}), court.string() + " Anneau");
  EXPECT_EQ(apercu({seul.string()}), seul.string() + " mon-pfx");
  EXPECT_EQ(apercu({(seul / "drive_c").string()}), seul.string() + " mon-pfx");
  // The cleaning reaches the same prefix.
  Ecrire(jeu / "drive_c/windows/temp/trace.txt", "t");
  EXPECT_EQ(Lancer({"--nettoyer", "Antique"}).code, 0);
  EXPECT_FALSE(fs::exists(jeu / "drive_c/windows/temp/trace.txt"));
}

// Two libraries holding a prefix for one game's number, two games whose names hold the same
// words, a name or a number nobody has: refused with the candidates named, for the windows, the
// preview and the cleaning alike; nothing is deleted or created.
TEST_F(ProgrammeTest, AnAmbiguousOrUnknownTargetIsRefusedNamingTheCandidates) {
  const fs::path disque = racine_ / "disque2/SteamLibrary";
  Ecrire(Steam() / "config/libraryfolders.vdf",
         "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + Steam().string() +
             "\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + disque.string() + "\"\n\t}\n}\n");
  const fs::path un = JeuSteam(Steam(), "2002", "Jeu Double");
  const fs::path deux = JeuSteam(disque, "2002", "Jeu Double");
  const fs::path cendre = JeuSteam(disque, "1001", "Anneau de Cendre");
  const fs::path feu = FairePrefixe(racine_ / "lutris/feu");
  Ecrire(racine_ / "xdg/data/lutris/games/feu-1.yml",
         "name: Anneau de Feu\ngame:\n  prefix: " + feu.string() + "\n");
  for (const fs::path& p : {un, deux, cendre, feu}) Ecrire(p / "drive_c/windows/temp/a.tmp", "a");
  const auto etat = [&] { return std::pair(Etat(Home()), Etat(racine_ / "disque2")); };
  const auto avant = etat();
  const std::string double_ =
      "tidora2000 : « 2002 » désigne plusieurs préfixes : « Jeu Double » "
      "(steam, " +
      un.string() + "), « Jeu Double » (steam, " + deux.string() +
      ") ; donnez le dossier de l'un d'eux\n";
  for (const std::vector<std::string>& action :
       {std::vector<std::string>{}, {"--apercu"}, {"--nettoyer"}, {"--apercu", "--json"}}) {
    const auto lancer = [&](const std::string& cible) {
      std::vector<std::string> a = action;
      a.push_back(cible);
      const Sortie s = Lancer(a);
      EXPECT_EQ(s.code, 2) << cible;
      EXPECT_EQ(s.sortie, "") << cible;
      return s.erreurs;
    };
    EXPECT_EQ(lancer("2002"), double_);
    const std::string anneau = lancer("anneau de");
    EXPECT_TRUE(anneau.starts_with("tidora2000 : « anneau de » désigne plusieurs préfixes : "))
        << anneau;
    EXPECT_NE(anneau.find("« Anneau de Cendre » (steam, " + cendre.string() + ")"),
              std::string::npos)
        << anneau;
    EXPECT_NE(anneau.find("« Anneau de Feu » (lutris, " + feu.string() + ")"), std::string::npos)
        << anneau;
    EXPECT_TRUE(anneau.ends_with(" ; donnez le dossier de l'un d'eux\n")) << anneau;
    EXPECT_EQ(lancer("Inconnu"),
              "tidora2000 : Aucun préfixe ne s'appelle « Inconnu » : voyez « "
              "tidora2000 --prefixes », ou donnez son dossier\n");
    EXPECT_EQ(lancer("999"),
              "tidora2000 : Aucun préfixe de Steam pour le jeu n° 999 : voyez « "
              "tidora2000 --prefixes »\n");
  }
  EXPECT_EQ(etat(), avant);
  EXPECT_FALSE(fs::exists(racine_ / "xdg/data/tidora"));
  EXPECT_FALSE(fs::exists(racine_ / "xdg/config"));
  // Its folder tells either apart.
  EXPECT_EQ(Designe(Lancer({"--apercu", "--json", deux.parent_path().string()})),
            deux.string() + " Jeu Double");
}

// With no target given, WINEPREFIX names one (an absolute folder, as Wine reads it); else the
// program's own prefix, which a preview or a cleaning never makes.
TEST_F(ProgrammeTest, WineprefixIsTheTargetWhenNoneIsGiven) {
  const fs::path wine = FairePrefixe(racine_ / "mon wine");
  Ecrire(wine / "drive_c/windows/temp/a.tmp", "a");
  const fs::path dix = JeuSteam(Steam(), "10", "Dix");
  const std::string propre = "TIDORA_PREFIX=" + (racine_ / "propre").string();
  const std::vector<std::string> avec{"WINEPREFIX=" + wine.string(), propre};
  EXPECT_EQ(Designe(Lancer({"--apercu", "--json"}, avec)), wine.string() + " mon wine");
  EXPECT_EQ(Designe(Lancer({"--apercu", "--json", "10"}, avec)), dix.string() + " Dix");
  EXPECT_EQ(Lancer({"--nettoyer"}, avec).code, 0);
  EXPECT_FALSE(fs::exists(wine / "drive_c/windows/temp/a.tmp"));
  for (const std::string& variable :
       {std::string("WINEPREFIX=mon wine"), std::string("WINEPREFIX=")}) {
    for (const char* action : {"--apercu", "--nettoyer"}) {
      const Sortie s = Lancer({action}, {variable, propre});
      EXPECT_EQ(s.code, 2) << variable;
      EXPECT_EQ(s.erreurs, "tidora2000 : Le dossier " + (racine_ / "propre").string() +
                               " n'est pas un préfixe Wine : il n'existe pas\n");
    }
  }
  EXPECT_FALSE(fs::exists(racine_ / "propre"));
  EXPECT_FALSE(fs::exists(racine_ / "xdg/data/tidora"));
}

// --garder keeps a file of a prefix, or a Windows path in every prefix; alone, lists them;
// --ne-plus-garder forgets one; a preview there shows the kept file as such.
TEST_F(ProgrammeTest, GarderKeepsListsAndForgets) {
  const fs::path wine = FairePrefixe(Home() / ".wine");
  const std::string notes = (wine / "drive_c/notes.tmp").string();
  Ecrire(notes, "n");
  EXPECT_EQ(Lancer({"--garder"}).sortie, "Rien n'est toujours gardé.\n");
  EXPECT_EQ(Lancer({"--garder", notes}).code, 0);
  EXPECT_EQ(Lancer({"--garder=C:\\Jeux"}).code, 0);
  EXPECT_EQ(Lancer({"--garder"}).sortie, "Toujours gardés, jamais effacés :\n  " + notes +
                                             "\n  C:\\Jeux (dans tous les préfixes)\n");
  EXPECT_NE(Lancer({"--apercu", "--tsv", wine.string()})
                .sortie.find(notes + "\t1\t*.tmp\tailleurs\tgarde\n"),
            std::string::npos);
  EXPECT_EQ(Lancer({"--ne-plus-garder", notes}).code, 0);
  EXPECT_EQ(Lancer({"--ne-plus-garder", notes}).code, 2);
  EXPECT_EQ(Lancer({"--garder", Home().string()}).code, 2);
  EXPECT_EQ(Lancer({"--garder"}).sortie,
            "Toujours gardés, jamais effacés :\n  C:\\Jeux (dans tous les préfixes)\n");
}

// An existing prefix: the windows open on it, their help file beside the program (its options
// validated there before); no sample traces (they are for the program's own fresh profile) and no
// profile of the program's own.
TEST_F(ProgrammeTest, PrefixeOpensTheWindowsOnThatFolder) {
  const fs::path choisi = FairePrefixe(racine_ / "choisi");
  Ecrire(choisi / "drive_c/Program Files/Tidora 2000/options.ini", "[Dossiers]\r\n");
  const pid_t pid =
      Demarrer({"--prefixe", choisi.string()},
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
