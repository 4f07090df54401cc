// The preview is the run: on hand-made and on random trees, what a preview lists is exactly what a
// run then does (each file with its size, in the run's order, the empty folders, the registry
// values, the counters and the summary), and the preview itself changes nothing at all.
#include <gtest/gtest.h>

#include <array>

#include "cleaning/DossierDangereux.h"
#include "tests/cleaning/Temoin.h"

namespace {

// Save locations are a profile's own folders (the system's "Microsoft" folders aside) and those
// its registry names; game folders only the launchers'; names compared as Windows compares them.
TEST(Emplacements, SaveLocationsThenGameFolders) {
  const Liste jeux = {"C:\\Jeux\\Mon Jeu", "c:/GOG Games/Autre/", "C:\\", "Relatif", ""};
  const Liste sauvegardes = {"D:\\Mes Sauvegardes", "C:\\Partage\\Sauvegardes\\", "C:", "rel"};
  const std::vector<std::pair<const char*, Emplacement>> cas = {
      {"C:\\users\\steamuser\\AppData\\Roaming\\Jeu\\partie.bak", Emplacement::Sauvegardes},
      {"c:\\USERS\\u\\appdata\\LOCALLOW\\Studio\\x.tmp", Emplacement::Sauvegardes},
      {"C:\\users\\u\\Documents\\My Games\\a.log", Emplacement::Sauvegardes},
      {"C:\\users\\u\\My Documents\\a.log", Emplacement::Sauvegardes},
      {"C:/users/u/Mes documents/a.log", Emplacement::Sauvegardes},
      {"C:\\users\\u\\Saved Games\\a.tmp", Emplacement::Sauvegardes},
      {"C:\\users\\u\\Application Data\\x.tmp", Emplacement::Sauvegardes},
      {"C:\\users\\u\\AppData\\Roaming", Emplacement::Sauvegardes},
      {"C:\\users\\u\\Documents\\Microsoft\\x.tmp", Emplacement::Sauvegardes},
      {"C:\\users\\u\\AppData\\Roaming\\Microsoftx\\x.tmp", Emplacement::Sauvegardes},
      {"C:\\users\\u\\..\\..\\users\\v\\.\\Saved Games\\x", Emplacement::Sauvegardes},
      {"C:\\USERS\\ÉTÉ\\DOCUMENTS\\a", Emplacement::Sauvegardes},
      {"d:\\mes sauvegardes\\x.sav", Emplacement::Sauvegardes},
      {"C:\\Partage\\Sauvegardes\\a\\b.bak", Emplacement::Sauvegardes},
      {"C:\\users\\u\\AppData\\Roaming\\Microsoft\\Windows\\Recent\\a.lnk", Emplacement::Ailleurs},
      {"C:\\users\\u\\AppData\\Roaming\\microsoft\\Templates\\a.tmp", Emplacement::Ailleurs},
      {"C:\\users\\u\\AppData\\LocalLow\\MICROSOFT\\x.tmp", Emplacement::Ailleurs},
      {"C:\\users\\u\\Application Data\\Microsoft\\x.tmp", Emplacement::Ailleurs},
      {"C:\\users\\u\\AppData\\Local\\Temp\\x.tmp", Emplacement::Ailleurs},
      {"C:\\users\\u\\AppData\\Roamingx\\x.tmp", Emplacement::Ailleurs},
      {"C:\\users\\u\\Roaming\\x.tmp", Emplacement::Ailleurs},
      {"C:\\users\\u\\Desktop\\x.tmp", Emplacement::Ailleurs},
      {"C:\\users\\Documents\\x.tmp", Emplacement::Ailleurs},
      {"C:\\Program Files\\Jeu\\Saved Games\\a.bak", Emplacement::Sauvegardes},
      {"C:\\users\\u\\AppData\\Local\\Jeu\\Saved\\a.bak", Emplacement::Sauvegardes},
      {"C:\\users\\u\\AppData\\Local\\Microsoft\\Windows\\INetCache\\a", Emplacement::Ailleurs},
      {"C:\\ProgramData\\Studio\\a.bak", Emplacement::Sauvegardes},
      {"C:\\programdata\\PACKAGE CACHE\\a.tmp", Emplacement::Ailleurs},
      {"C:\\Jeux\\Mon Jeu\\SAVEGAME01\\a.bak", Emplacement::Sauvegardes},
      {"C:\\Outils\\Saves\\a.bak", Emplacement::Sauvegardes},
      {"D:\\Outils\\Saves\\a.bak", Emplacement::Ailleurs},
      {"C:\\Mes documents\\lettre.bak", Emplacement::Ailleurs},
      {"C:\\ÉTÉ\\Documents\\a.tmp", Emplacement::Ailleurs},
      {"D:\\users\\u\\Documents\\a.tmp", Emplacement::Ailleurs},
      {"C:\\Partage\\a.bak", Emplacement::Ailleurs},
      {"C:\\rel\\a.bak", Emplacement::Ailleurs},
      {"C:\\Program Files\\Jeu\\journal.log", Emplacement::Ailleurs},
      {"c:\\program files (X86)\\Steam\\a.tmp", Emplacement::Ailleurs},
      {"C:\\jeux\\mon jeu\\données\\a.tmp", Emplacement::Jeux},
      {"C:\\Jeux\\Mon Jeu", Emplacement::Jeux},
      {"C:\\Jeux\\Mon Jeu 2\\a.tmp", Emplacement::Ailleurs},
      {"C:\\GOG Games\\Autre\\a.tmp", Emplacement::Jeux},
      {"C:\\windows\\temp\\..\\..\\Jeux\\Mon Jeu\\a.tmp", Emplacement::Jeux},
      {"C:\\windows\\temp\\a.tmp", Emplacement::Ailleurs},
      {"C:\\Relatif\\a.tmp", Emplacement::Ailleurs},
      {"D:\\Jeux\\Mon Jeu\\a.tmp", Emplacement::Ailleurs},
  };
  for (const auto& [chemin, attendu] : cas) {
    EXPECT_EQ(EmplacementDe(chemin, jeux, sauvegardes), attendu) << chemin;
  }
  EXPECT_EQ(EmplacementDe("C:\\Été\\a.tmp", {"C:\\ÉTÉ"}), Emplacement::Jeux);
  EXPECT_EQ(EmplacementDe("C:\\Été\\a.tmp", {}, {"C:\\ÉTÉ"}), Emplacement::Sauvegardes);
}

// The folders a folder pass refuses, on every prefix and on a user's (the place at stake, or ""
// when the pass may empty it); names compared as Windows compares them.
TEST(Emplacements, FoldersAPassRefuses) {
  const Liste jeux = {"C:\\Jeux\\Mon Jeu"}, sauvegardes = {"D:\\Sauvegardes", "C:\\Partage\\Docs"};
  const std::string u = "C:\\users\\u";
  const std::vector<std::array<std::string, 3>> cas = {
      // folder, refused on every prefix, refused on a user's
      {"", "chemin", "chemin"},
      {"Temp", "chemin", "chemin"},
      {"C:Temp", "chemin", "chemin"},
      {"\\\\serveur\\partage", "chemin", "chemin"},
      {"C:\\", "racine", "racine"},
      {"d:", "racine", "racine"},
      {"C:\\Temp\\..", "racine", "racine"},
      {"c:/WINDOWS/./", "windows", "windows"},
      {"C:\\windows\\system32", "windows", "windows"},
      {"C:\\windows\\temp\\..\\System32", "windows", "windows"},
      {"C:\\windows\\Temp", "", ""},
      {"C:\\WINDOWS\\sysbckup", "", ""},
      {"C:\\Program Files", "programmes", "programmes"},
      {"C:\\PROGRAM FILES (X86)\\Jeu\\tmp", "programmes", "programmes"},
      {"C:\\ProgramData", "donnees_programmes", "donnees_programmes"},
      {"C:\\users", "utilisateurs", "utilisateurs"},
      {"c:\\USERS\\U\\Temp\\..", "profil", "profil"},
      {"C:\\users\\Public", "profil", "profil"},
      {u + "\\AppData", "sauvegardes", "sauvegardes"},
      {u + "\\Documents", "sauvegardes", "sauvegardes"},
      {u + "\\AppData\\local", "sauvegardes", "sauvegardes"},
      {"C:\\Partage", "sauvegardes", "sauvegardes"},
      {"C:\\partage\\docs", "sauvegardes", "sauvegardes"},
      {"D:\\Sauvegardes", "sauvegardes", "sauvegardes"},
      {"C:\\Outils\\SaveGames", "sauvegardes", "sauvegardes"},
      {u + "\\Documents\\My Games\\Temp", "", "sauvegardes"},
      {u + "\\AppData\\Roaming\\Navigateur\\Cache", "", "sauvegardes"},
      {u + "\\AppData\\Local\\Jeu\\Saved\\tmp", "", "sauvegardes"},
      {"C:\\ProgramData\\Studio\\tmp", "", "sauvegardes"},
      {"C:\\Outils\\Saves\\tmp", "", "sauvegardes"},
      {"C:\\Jeux\\Mon Jeu\\tmp", "", "jeux"},
      {"C:\\Jeux", "", "jeux"},
      {"C:\\jeux\\mon jeu", "", "jeux"},
      {"C:\\Jeux\\Mon Jeu 2", "", ""},
      {"C:\\ProgramData\\Microsoft\\Temp", "", ""},
      {u + "\\AppData\\Local\\Microsoft\\Windows\\INetCache", "", ""},
      {u + "\\AppData\\Roaming\\Microsoft\\Windows\\Recent", "", ""},
      {u + "\\AppData\\Local\\Temp", "", ""},
      {u + "\\Temp", "", ""},
      {"D:\\Program Files", "", ""},
  };
  for (const auto& [dossier, commun, utilisateur] : cas) {
    for (const bool proteger : {false, true}) {
      const auto refus = RefuserDossier(dossier, "C:\\windows", jeux, sauvegardes, proteger);
      EXPECT_EQ(refus ? refus->lieu : "", proteger ? utilisateur : commun) << dossier << proteger;
    }
  }
  // The system's folders on the Windows folder's own drive too.
  EXPECT_EQ(RefuserDossier("D:\\Program Files", "D:\\WINDOWS", {}, {}, false)->lieu, "programmes");
  EXPECT_EQ(RefuserDossier("d:\\windows\\fonts", "D:\\WINDOWS", {}, {}, false)->lieu, "windows");
}

// Every kind of trace: the preview lists it as the run then handles it, with what takes it, save
// locations and game folders first, and its summary is the run's.
TEST_F(ApercuMenageTest, ListsWhatTheRunDoesSaveAndGameFoldersFirst) {
  const std::string profil = "C:\\users\\joueur";
  Creer(cache + "\\page.htm", 100);
  Creer(cache + "\\index.dat", 100);
  Creer(temp + "\\a.txt", 10);
  Creer(temp + "\\sous\\vide\\b.tmp", 2000, os::attr::ReadOnly | os::attr::Hidden);
  CreerDossier(temp + "\\rien");
  Creer(temp + "\\garde\\index.dat");
  Creer(profil + "\\AppData\\Roaming\\Jeu\\partie.bak", 300);
  Creer(profil + "\\Documents\\My Games\\Jeu\\partie.sav.bak", 500);
  Creer(profil + "\\AppData\\Roaming\\Microsoft\\Windows\\Recent\\lettre.old", 3);
  Creer("C:\\Program Files\\Jeu\\journal.log", 40);
  Creer("C:\\Jeux\\Lutris\\sauve.bak", 7);
  Creer("C:\\Projets\\c.tmp", 5);
  Creer(sbdr + "\\rb000.cab", 1);
  auto adresses = lecteur.createKey(kAdresses);
  for (const char* n : {"url1", "URL2", "url4"}) adresses.setString(n, "http://x");
  lecteur.createKey(kRecherches).setString("MRUList", "a");
  PlanComplet();

  const Apercu a = ApercuPuisMenage({"C:\\Jeux\\Lutris"});

  EXPECT_TRUE(a.optionsValidees);
  // Within each group the order is the run's, which follows the folders' listings (the run's own
  // record has checked it): here the groups' contents.
  ASSERT_EQ(a.nbSensibles, 3u);
  Liste sensibles = Textes(std::vector<FichierApercu>(a.fichiers.begin(), a.fichiers.begin() + 3));
  Liste autres = Textes(std::vector<FichierApercu>(a.fichiers.begin() + 3, a.fichiers.end()));
  std::sort(sensibles.begin(), sensibles.end());
  EXPECT_EQ(sensibles,
            (Liste{"c:\\Jeux\\Lutris\\sauve.bak\t7\t2\tsupprimé\t*.bak",
                   "c:\\users\\joueur\\AppData\\Roaming\\Jeu\\partie.bak\t300\t1\tsupprimé\t*.bak",
                   "c:\\users\\joueur\\Documents\\My Games\\Jeu\\partie.sav.bak\t500\t1\tsupprimé"
                   "\t*.bak"}));
  EXPECT_EQ(
      autres,
      (Liste{cache + "\\page.htm\t100\t0\tsupprimé\tCache", temp + "\\a.txt\t10\t0\tsupprimé\tTemp",
             temp + "\\sous\\vide\\b.tmp\t2000\t0\tsupprimé\tTemp",
             "c:\\Projets\\c.tmp\t5\t0\tsupprimé\t*.tmp",
             "c:\\Program Files\\Jeu\\journal.log\t40\t0\tsupprimé\t*.log",
             "c:\\users\\joueur\\AppData\\Roaming\\Microsoft\\Windows\\Recent\\lettre.old\t3"
             "\t0\tsupprimé\t*.old",
             sbdr + "\\rb000.cab\t1\t0\tsupprimé\tSbdr"}));
  EXPECT_EQ(Textes(a.valeurs),
            (Liste{"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs\turl1",
                   "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs\tURL2",
                   "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
                   "Doc Find Spec MRU\tMRUList"}));
  // Deepest first.
  ASSERT_EQ(a.dossiers.size(), 3u);
  EXPECT_EQ(std::set<std::string>(a.dossiers.begin(), a.dossiers.end()),
            (std::set<std::string>{temp + "\\sous\\vide", temp + "\\sous", temp + "\\rien"}));
  EXPECT_LT(std::find(a.dossiers.begin(), a.dossiers.end(), temp + "\\sous\\vide"),
            std::find(a.dossiers.begin(), a.dossiers.end(), temp + "\\sous"));
  EXPECT_EQ(a.resume, "10 fichiers pour un total de\r3 kO");
  EXPECT_EQ(a.erreur, "");
  EXPECT_TRUE(a.proteges.empty());
}

// A file the run cannot delete (immutable, or in an immutable folder) is counted at each pass
// that meets it and reported once, its folder stays: the preview says the same.
TEST_F(ApercuMenageTest, WhatTheRunCannotDeleteIsToldAsTheRunTellsIt) {
  Creer(temp + "\\verrou.tmp", 10);
  Creer(temp + "\\fige\\dedans.tmp", 20);
  Creer(temp + "\\fige\\aussi.txt", 20);
  Creer(temp + "\\libre.tmp", 30);
  if (!Verrouiller(temp + "\\verrou.tmp") || !Verrouiller(temp + "\\fige\\dedans.tmp")) {
    GTEST_SKIP() << "this file system cannot make a file undeletable";
  }
  plan.TableDossiers[4] = temp;
  plan.TableMotifs[0] = "*.tmp";
  plan.OptionsValidees = true;
  const Apercu a = ApercuPuisMenage();
  EXPECT_EQ(a.nbEchecs, 2u);
  EXPECT_EQ(std::count_if(a.fichiers.begin(), a.fichiers.end(),
                          [](const FichierApercu& f) { return !f.supprime; }),
            4);  // both met by the temporary folder's pass and by "*.tmp"
  EXPECT_EQ(a.dossiers, Liste{});
  EXPECT_NE(a.resume.find("\r2 fichiers n'ont pas pu être supprimés"), std::string::npos)
      << a.resume;
}

// A file whose name holds "\\" (no Windows path names it) is met by each pass that takes it,
// counted as not deleted and stays, and so is its folder; the preview says so as the run does.
TEST_F(ApercuMenageTest, ANameNoWindowsPathNamesIsCountedAsNotDeleted_Linux) {
  CreerDossier(temp + "\\sous");
  std::ofstream(Hote(temp + "\\sous") / "a\\b.tmp") << "x";
  plan.TableDossiers[4] = temp;
  plan.TableMotifs[0] = "*.tmp";
  plan.OptionsValidees = true;
  const Apercu a = ApercuPuisMenage();
  EXPECT_EQ(a.nbEchecs, 1u);
  ASSERT_EQ(a.fichiers.size(), 2u);
  for (const FichierApercu& f : a.fichiers) {
    EXPECT_TRUE(os::sameName(f.chemin, temp + "\\sous\\a\\b.tmp")) << f.chemin;
    EXPECT_FALSE(f.supprime);
  }
  EXPECT_TRUE(std::filesystem::exists(Hote(temp + "\\sous") / "a\\b.tmp"));
}

// Without validated options a run only asks for them: so does the preview, and nothing else.
TEST_F(ApercuMenageTest, WithoutValidatedOptionsNothingButTheQuestion) {
  Creer(temp + "\\a.tmp");
  PlanComplet();
  plan.OptionsValidees = false;
  const Apercu a = ApercuPuisMenage();
  EXPECT_FALSE(a.optionsValidees);
  EXPECT_TRUE(a.fichiers.empty());
  EXPECT_EQ(a.resume, "");
  EXPECT_TRUE(Existe(temp + "\\a.tmp"));
}

// The run creates the typed-address key when it is missing; the preview never does, and has
// nothing to purge there.
TEST_F(ApercuMenageTest, AMissingKeyIsNeitherCreatedNorPurged) {
  plan.TableRegistre[1] = kAdresses;
  plan.OptionsValidees = true;
  const Apercu a = ApercuMenage(lecteur, plan);
  EXPECT_TRUE(a.valeurs.empty());
  EXPECT_FALSE(lecteur.openKey(kAdresses));
  EXPECT_EQ(a.resume, "0 fichiers pour un total de\r0 kO");
}

// A hive that cannot be read: the run reports it after its summary, and so does the preview,
// with the same words.
TEST_F(ApercuMenageTest, AnUnreadableHiveIsReportedAfterTheSummary_Linux) {
  Creer(temp + "\\x.txt");
  plan.TableDossiers[4] = temp;
  plan.TableRegistre[1] = kAdresses;
  plan.OptionsValidees = true;
  std::ofstream(prefixe / "user.reg", std::ios::trunc) << "ceci n'est pas une ruche\n";
  const Apercu a = ApercuPuisMenage();
  EXPECT_NE(a.erreur.find("Base de registre illisible"), std::string::npos) << a.erreur;
  EXPECT_EQ(a.resume, "1 fichiers pour un total de\r1 kO");
}

TEST_P(ApercuAleatoire, EqualsTheRun) {
  Construire();
  // Every other seed with the protection of saves and game folders on.
  const Apercu a =
      ApercuPuisMenage({"C:\\Jeux\\Lutris jeu"}, {"C:\\Ailleurs"}, GetParam() % 2 == 0);
  EXPECT_TRUE(a.optionsValidees);
}

INSTANTIATE_TEST_SUITE_P(Graines, ApercuAleatoire, ::testing::Range(1, 13));

}  // namespace
