// What --apercu and --nettoyer print: the preview for a person (groups, reasons, host paths, one
// size unit, totals), for a program (a TSV header and its columns, a JSON document that agrees
// with it), names made harmless everywhere; the status line drawn in place on a terminal, with
// no escape sequence for TERM=dumb, and nothing of it elsewhere; the game folders of a prefix as
// Windows paths.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>

#include "kits/ligne/Affichable.h"
#include "kits/ligne/FenetreLigne.h"
#include "kits/ligne/SortieApercu.h"
#include "prefixes/ApercuPrefixe.h"

namespace {

// A name meant to drive a terminal: clear the screen, a C1 CSI, a bare CR, a byte that begins no
// UTF-8 character.
const std::string kHostile =
    "x\x1b[2J\xc2\x9b"
    "31m\rz\xff";
// The same as shown.
const std::string kHostileVu = "x?[2J?31m?z?";

ApercuDuPrefixe Exemple() {
  ApercuDuPrefixe d;
  d.prefixe.chemin = "/j/pfx";
  d.prefixe.nom = "Jeu";
  d.prefixe.origine = Origine::Steam;
  d.prefixe.appid = "4242";
  Apercu a;
  a.fichiers = {{"C:\\Jeux\\Jeu\\verrou.log", 7, Emplacement::Jeux, false, "*.log",
                 "/j/pfx/drive_c/Jeux/Jeu/verrou.log"},
                {"C:\\windows\\temp\\" + kHostile, 1500, Emplacement::Ailleurs, true, "Temp", ""}};
  a.nbSensibles = 1;
  a.proteges = {{"C:\\users\\u\\Saved Games\\s.bak", 300, Emplacement::Sauvegardes, true, "*.bak",
                 "/j/pfx/drive_c/users/u/Saved Games/s.bak"}};
  a.valeurs = {{"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs", "url1"}};
  a.dossiers = {"C:\\windows\\temp\\vide"};
  a.nbFichiers = 2;
  a.tailleTotale = 1507;
  a.nbEchecs = 1;
  a.tailleProtegee = 300;
  d.apercu = a;
  return d;
}

TEST(SortieApercu, TextGroupsReasonsHostPathsAndTotals) {
  ApercuDuPrefixe propre;
  propre.prefixe.chemin = "/w";
  propre.prefixe.nom = ".wine";
  propre.choixPropres = true;
  propre.apercu = Apercu{};
  propre.apercu->fichiers = {{"C:\\a.tmp", 1000, Emplacement::Ailleurs, true, "*.tmp", ""}};
  propre.apercu->nbFichiers = 1;
  propre.apercu->tailleTotale = 1000;
  ApercuDuPrefixe refuse;
  refuse.prefixe.chemin = "/r";
  refuse.prefixe.nom = kHostile;
  refuse.prefixe.origine = Origine::Lutris;
  refuse.erreur = "illisible : " + kHostile;
  EXPECT_EQ(TexteApercus({Exemple(), propre, refuse}),
            "Préfixe « Jeu » (steam, 4242) : /j/pfx\n"
            "Choix : les choix communs (tidora2000 --choix)\n"
            "Fichiers dans des sauvegardes ou des dossiers de jeux :\n"
            "  C:\\Jeux\\Jeu\\verrou.log — 7 o — masque *.log — non supprimable\n"
            "      /j/pfx/drive_c/Jeux/Jeu/verrou.log\n"
            "Autres fichiers :\n"
            "  C:\\windows\\temp\\" +
                kHostileVu +
                " — 1,5 ko — répertoire TEMP\n"
                "Protégés, laissés en place (sauvegardes et dossiers de jeux) :\n"
                "  C:\\users\\u\\Saved Games\\s.bak — 300 o — masque *.bak\n"
                "      /j/pfx/drive_c/users/u/Saved Games/s.bak\n"
                "Valeurs du registre :\n"
                "  HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs\\url1\n"
                "Dossiers vides :\n"
                "  C:\\windows\\temp\\vide\n"
                "Total : 2 fichiers, 1,5 ko ; 1 non supprimable ; 1 fichier protégé laissé en "
                "place, 300 o\n"
                "\n"
                "Préfixe « .wine » (wine) : /w\n"
                "Choix : ceux du préfixe (ses options validées)\n"
                "Fichiers :\n"
                "  C:\\a.tmp — 1,0 ko — masque *.tmp\n"
                "Total : 1 fichier, 1,0 ko\n"
                "\n"
                "Préfixe « " +
                kHostileVu +
                " » (lutris) : /r\n"
                "Pas d'aperçu : illisible : " +
                kHostileVu +
                "\n"
                "\n"
                "Total de 2 préfixes : 3 fichiers, 2,5 ko ; 1 non supprimable ; 1 fichier protégé "
                "laissé en place, 300 o\n");
  // One prefix: no grand total; nothing to delete: only its total.
  ApercuDuPrefixe vide;
  vide.prefixe.chemin = "/v";
  vide.prefixe.nom = "v";
  vide.apercu = Apercu{};
  EXPECT_EQ(TexteApercus({vide}),
            "Préfixe « v » (wine) : /v\n"
            "Choix : les choix communs (tidora2000 --choix)\n"
            "Total : 0 fichier, 0 o\n");
}

std::vector<std::string> Champs(const std::string& ligne) {
  std::vector<std::string> champs;
  std::size_t debut = 0;
  for (std::size_t tab; (tab = ligne.find('\t', debut)) != std::string::npos; debut = tab + 1) {
    champs.push_back(ligne.substr(debut, tab - debut));
  }
  champs.push_back(ligne.substr(debut));
  return champs;
}

// The machine forms: a header naming eight columns, one line an element, fields escaped so that
// no name breaks a line or reaches a terminal; JSON with the same elements, valid whatever the
// names hold.
TEST(SortieApercu, TsvAndJsonCarryTheSameElementsSafely) {
  ApercuDuPrefixe refuse;
  refuse.prefixe.chemin = "/r\tq";
  refuse.erreur = "non\nlisible";
  const std::string tsv = LignesTsvApercus({Exemple(), refuse});
  std::istringstream lignes(tsv);
  std::vector<std::vector<std::string>> table;
  for (std::string l; std::getline(lignes, l);) {
    EXPECT_EQ(l.find('\x1b'), std::string::npos) << l;
    EXPECT_EQ(l.find('\r'), std::string::npos) << l;
    table.push_back(Champs(l));
    EXPECT_EQ(table.back().size(), 8u) << l;
  }
  ASSERT_EQ(table.size(), 7u) << tsv;
  EXPECT_EQ(table[0], (std::vector<std::string>{"prefixe", "genre", "chemin_windows", "chemin_hote",
                                                "octets", "raison", "emplacement", "etat"}));
  EXPECT_EQ(table[1],
            (std::vector<std::string>{"/j/pfx", "fichier", "C:\\\\Jeux\\\\Jeu\\\\verrou.log",
                                      "/j/pfx/drive_c/Jeux/Jeu/verrou.log", "7", "*.log", "jeux",
                                      "non_supprimable"}));
  EXPECT_TRUE(table[2][2].starts_with("C:\\\\windows\\\\temp\\\\x\\x1b[2J\\xc2\\x9b31m\\rz"))
      << table[2][2];
  EXPECT_EQ(table[2][3], "");
  EXPECT_EQ(table[2][7], "efface");
  EXPECT_EQ(table[3][6], "sauvegardes");
  EXPECT_EQ(table[3][7], "protege");
  EXPECT_EQ(
      table[4],
      (std::vector<std::string>{
          "/j/pfx", "valeur",
          "HKEY_CURRENT_USER\\\\Software\\\\Microsoft\\\\Internet Explorer\\\\TypedURLs\\\\url1",
          "", "", "", "", "efface"}));
  EXPECT_EQ(table[5][1], "dossier");
  EXPECT_EQ(table[6],
            (std::vector<std::string>{"/r\\tq", "erreur", "", "", "", "non\\nlisible", "", ""}));

  const nlohmann::json j = nlohmann::json::parse(DocumentJsonApercus({Exemple(), refuse}));
  ASSERT_EQ(j["prefixes"].size(), 2u);
  const nlohmann::json& p = j["prefixes"][0];
  EXPECT_EQ(p["appid"], "4242");
  EXPECT_EQ(p["origine"], "steam");
  EXPECT_EQ(p["choix"], "communs");
  EXPECT_TRUE(p["erreur"].is_null());
  ASSERT_EQ(p["fichiers"].size(), 2u);
  EXPECT_EQ(p["fichiers"][0]["etat"], "non_supprimable");
  EXPECT_EQ(p["fichiers"][0]["octets"], 7);
  // A name that is no UTF-8 keeps what is, the rest replaced: the document stays valid.
  EXPECT_EQ(p["fichiers"][1]["windows"],
            "C:\\windows\\temp\\x\x1b[2J\xc2\x9b"
            "31m\rz\xef\xbf\xbd");
  EXPECT_EQ(p["proteges"][0]["raison"], "*.bak");
  EXPECT_EQ(p["valeurs"][0]["nom"], "url1");
  EXPECT_EQ(p["dossiers"][0], "C:\\windows\\temp\\vide");
  EXPECT_EQ(p["total"], nlohmann::json::parse(R"({"fichiers": 2, "octets": 1507,
      "non_supprimables": 1, "proteges": 1, "octets_proteges": 300, "gardes": 0,
      "octets_gardes": 0})"));
  EXPECT_EQ(j["prefixes"][1]["erreur"], "non\nlisible");
  EXPECT_FALSE(j["prefixes"][1].contains("fichiers"));
  EXPECT_EQ(j["total"]["prefixes"], 1);
  EXPECT_EQ(j["total"]["octets"], 1507);
}

// TERM for the time of a test.
class Terme {
 public:
  explicit Terme(const char* valeur) {
    if (const char* t = std::getenv("TERM")) avant_ = t;
    if (valeur)
      ::setenv("TERM", valeur, 1);
    else
      ::unsetenv("TERM");
  }
  ~Terme() {
    if (avant_)
      ::setenv("TERM", avant_->c_str(), 1);
    else
      ::unsetenv("TERM");
  }

 private:
  std::optional<std::string> avant_;
};

TEST(FenetreLigne, OneStatusLineInPlaceOnATerminalOnlyTheSummaryElsewhere) {
  Terme terme("xterm");
  std::ostringstream terminal;
  FenetreLigne f(terminal, true, 30);
  f.AfficherNbFichiers("0");
  f.AfficherTaille("0 kO");
  f.AfficherEnCours("Recherche des fichiers *.tmp\x1b[2J");
  f.Message("2 fichiers pour un total de\r1 kO");
  const std::string t = terminal.str();
  // Drawn in place, cut to the width less one column, control characters shown as "?".
  EXPECT_NE(t.find("\rRecherche des fichiers *.tmp?\x1b[K"), std::string::npos) << t;
  EXPECT_TRUE(t.ends_with("\r\x1b[K\r2 fichiers pour un total de\n1 kO\n")) << t;
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

// A terminal that knows no escape (TERM=dumb, or no TERM) gets none: a shorter line is cleared
// with blanks over what the longer one left; the summary's count and size become one line in
// the command line's unit, its extra lines each made harmless.
TEST(FenetreLigne, ADumbTerminalGetsBlanksNeverAnEscape) {
  for (const char* valeur : {"dumb", static_cast<const char*>(nullptr)}) {
    Terme terme(valeur);
    std::ostringstream terminal;
    FenetreLigne f(terminal, true, 80);
    std::uint64_t octets = 0;
    f.Octets([&] { return octets; });
    f.AfficherEnCours("Recherche des fichiers *.tmp");
    f.AfficherEnCours("Fin");
    octets = 2500;
    f.AfficherNbFichiers("3");
    f.Message("3 fichiers pour un total de\r2 kO\r1 fichier \x1b]0;titre\x07 protégé");
    const std::string t = terminal.str();
    EXPECT_EQ(t.find('\x1b'), std::string::npos) << t;
    const std::string longue = "Recherche des fichiers *.tmp : 0 fichiers, 0 o";
    const std::string courte = "Fin : 0 fichiers, 0 o";
    EXPECT_NE(
        t.find("\r" + longue + "\r" + courte + std::string(longue.size() - courte.size(), ' ')),
        std::string::npos)
        << t;
    EXPECT_TRUE(t.ends_with("3 fichiers pour un total de 2,5 ko\n1 fichier ?]0;titre? protégé\n")) << t;
  }
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

TEST(Affichable, ControlsAndBrokenCharactersAreShownAsQuestionMarks) {
  EXPECT_EQ(Visible(kHostile), kHostileVu);
  EXPECT_EQ(Visible("\x7f\t\n"), "???");
  EXPECT_EQ(Visible("\xc2\x80\xc2\x9f\xc2\xa0"), "??\xc2\xa0");  // C1 controls; NBSP stays
  EXPECT_EQ(Visible("\xe2\x80"), "??");                          // a character cut short
  EXPECT_EQ(Visible("\xc0\xaf\xf5\x80"), "????");                // bytes that begin nothing
  EXPECT_EQ(Visible("été 日本 \xf0\x9f\x8e\xae"), "été 日本 \xf0\x9f\x8e\xae");
}

// Each bidirectional control, and the characters on either side of each range, which stay.
TEST(Affichable, BidirectionalControlsAreShownAsQuestionMarks) {
  for (const char* c : {"\u202a", "\u202e", "\u2066", "\u2069", "\u200e", "\u200f", "\u061c"}) {
    EXPECT_EQ(Visible(std::string("a") + c + "b"), "a?b") << c;
  }
  const std::string voisins = "\u2029\u202f\u2065\u206a\u200d\u2010\u061b\u061d";
  EXPECT_EQ(Visible(voisins), voisins);
}

TEST(Affichable, CutsWholeCharacters) {
  EXPECT_EQ(Coupe("été", 2), "ét");
  EXPECT_EQ(Coupe("abc", 5), "abc");
  EXPECT_EQ(Coupe("日本語", 1), "日");
  EXPECT_EQ(Largeur("日本語"), 3u);
}

TEST(Affichable, OnlyATermOtherThanDumbTakesEscapes) {
  {
    Terme terme("xterm-256color");
    EXPECT_TRUE(TerminalEvolue());
  }
  for (const char* valeur : {"dumb", "", static_cast<const char*>(nullptr)}) {
    Terme terme(valeur);
    EXPECT_FALSE(TerminalEvolue()) << (valeur ? valeur : "(pas de TERM)");
  }
}

TEST(ApercuPrefixe, GameFoldersInsideDriveCAsWindowsPaths) {
  const std::filesystem::path p = "/maison/Jeux/pfx";
  EXPECT_EQ(
      CheminsDansLeLecteur(p, {"/maison/Jeux/pfx/drive_c/GOG Games/Jeu",
                               "/maison/Jeux/pfx/drive_c/../drive_c/Jeux/Été/",
                               "/maison/Jeux/pfx/drive_c", "/maison/Jeux/autre/drive_c/x",
                               "/maison/Jeux/pfx/drive_cx/y", "/maison/Jeux/pfx/drive_c/../x"}),
      (std::vector<std::string>{"C:\\GOG Games\\Jeu", "C:\\Jeux\\Été"}));
}

}  // namespace
