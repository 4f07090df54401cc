// What --apercu and --nettoyer print: the preview's groups and lines, the status line drawn in
// place on a terminal (and nothing of it elsewhere), the summary on lines of its own, the game
// folders of a prefix as Windows paths.
#include <gtest/gtest.h>

#include <sstream>

#include "kits/ligne/Affichable.h"
#include "kits/ligne/FenetreLigne.h"
#include "kits/ligne/SortieApercu.h"
#include "prefixes/ApercuPrefixe.h"

namespace {

TEST(SortieApercu, GroupsFirstThenValuesFoldersAndTheSummaryLast) {
  Apercu a;
  a.fichiers = {{"C:\\users\\u\\AppData\\Roaming\\Jeu\\partie.bak", 300, Emplacement::Sauvegardes, true},
                {"c:\\Program Files\\Jeu\\verrou.log", 7, Emplacement::Jeux, false},
                {"C:\\windows\\temp\\a\nb\t.tmp", 12, Emplacement::Ailleurs, true}};
  a.nbSensibles = 2;
  a.valeurs = {{"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs", "url1"}};
  a.dossiers = {"C:\\windows\\temp\\vide"};
  a.resume = "3 fichiers pour un total de\r1 kO\r1 fichiers n'ont pas pu être supprimés";
  EXPECT_EQ(TexteApercu(a),
            "Fichiers dans des dossiers de sauvegardes ou de jeux :\n"
            "C:\\users\\u\\AppData\\Roaming\\Jeu\\partie.bak\t300\n"
            "c:\\Program Files\\Jeu\\verrou.log\t7\tnon supprimable\n"
            "Autres fichiers :\n"
            "C:\\windows\\temp\\a?b?.tmp\t12\n"
            "Valeurs du registre :\n"
            "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs\\url1\n"
            "Dossiers vides :\n"
            "C:\\windows\\temp\\vide\n"
            "3 fichiers pour un total de\n1 kO\n1 fichiers n'ont pas pu être supprimés\n");
  // Without files of save or game folders there is one heading; empty groups have none.
  Apercu b;
  b.fichiers = {{"C:\\x.tmp", 1, Emplacement::Ailleurs, true}};
  b.resume = "1 fichiers pour un total de\r1 kO";
  EXPECT_EQ(TexteApercu(b), "Fichiers :\nC:\\x.tmp\t1\n1 fichiers pour un total de\n1 kO\n");
  Apercu vide;
  vide.resume = "0 fichiers pour un total de\r0 kO";
  EXPECT_EQ(TexteApercu(vide), "0 fichiers pour un total de\n0 kO\n");
}

TEST(FenetreLigne, OneStatusLineInPlaceOnATerminalOnlyTheSummaryElsewhere) {
  std::ostringstream terminal;
  FenetreLigne f(terminal, true, 30);
  f.AfficherNbFichiers("0");
  f.AfficherTaille("0 kO");
  f.AfficherEnCours("Recherche des fichiers *.tmp\x1b[2J");
  f.Message("2 fichiers pour un total de\r1 kO");
  const std::string t = terminal.str();
  // Drawn in place, cut to the width less one column, control characters shown as "?".
  EXPECT_NE(t.find("\rRecherche des fichiers *.tmp?\x1b[K"), std::string::npos) << t;
  EXPECT_TRUE(t.ends_with("\r\x1b[K2 fichiers pour un total de\n1 kO\n")) << t;
  EXPECT_FALSE(f.OptionsDemandees());
  EXPECT_TRUE(f.ResumeEcrit());

  std::ostringstream fichier;
  FenetreLigne g(fichier, false, 80);
  g.AfficherEnCours("Scan du répertoire temporaire TEMP");
  g.AfficherNbFichiers("5");
  g.MontrerOptions();
  g.Message("5 fichiers pour un total de\r1 kO");
  EXPECT_EQ(fichier.str(), "5 fichiers pour un total de\n1 kO\n");
  EXPECT_TRUE(g.OptionsDemandees());
}

TEST(FenetreLigne, CountsAreDrawnAtMostEveryTenthOfASecond) {
  std::ostringstream terminal;
  FenetreLigne f(terminal, true, 80);
  f.AfficherEnCours("Étape");
  for (int n = 1; n <= 1000; ++n) f.AfficherNbFichiers(std::to_string(n));
  const std::string t = terminal.str();
  EXPECT_LE(std::count(t.begin(), t.end(), '\r'), 3) << t;
  EXPECT_EQ(t.find("1000 fichiers"), std::string::npos);  // held back...
  f.Effacer();
  f.AfficherEnCours("Fin");  // ...until the next step
  EXPECT_NE(terminal.str().find("Fin : 1000 fichiers, 0 kO"), std::string::npos);
}

TEST(Affichable, CutsWholeCharacters) {
  EXPECT_EQ(Coupe("été", 2), "ét");
  EXPECT_EQ(Coupe("abc", 5), "abc");
  EXPECT_EQ(Coupe("日本語", 1), "日");
  EXPECT_EQ(Largeur("日本語"), 3u);
}

TEST(ApercuPrefixe, GameFoldersInsideDriveCAsWindowsPaths) {
  const std::filesystem::path p = "/maison/Jeux/pfx";
  EXPECT_EQ(CheminsDansLeLecteur(p, {"/maison/Jeux/pfx/drive_c/GOG Games/Jeu",
                                     "/maison/Jeux/pfx/drive_c/../drive_c/Jeux/Été/",
                                     "/maison/Jeux/pfx/drive_c", "/maison/Jeux/autre/drive_c/x",
                                     "/maison/Jeux/pfx/drive_cx/y", "/maison/Jeux/pfx/drive_c/../x"}),
            (std::vector<std::string>{"C:\\GOG Games\\Jeu", "C:\\Jeux\\Été"}));
}

}  // namespace
