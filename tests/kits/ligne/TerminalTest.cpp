// The real program's output as a terminal gets it: names holding escapes, C1 controls, bare
// carriage returns and broken UTF-8 made harmless in the table, the preview, the warnings and
// the errors; no escape sequence for TERM=dumb; a standard output that cannot be written (closed,
// or a full device) gives status 1 and one message on standard error; the exit statuses.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>

#include "tests/kits/ligne/Programme.h"
#include "tests/support/Enfant.h"
#include "tests/support/Systeme.h"

namespace fs = std::filesystem;

namespace {

// A name meant to drive a terminal: clear the screen, a C1 CSI, a bare CR, a byte that begins no
// UTF-8 character.
const std::string kHostile =
    "\x1b[2J\xc2\x9b"
    "31mNom\r\xff";
const std::string kHostileVu = "?[2J?31mNom??";

// What a terminal got, its line ends ("\r\n") made "\n".
std::string Lignes(std::string texte) {
  for (std::size_t i; (i = texte.find("\r\n")) != std::string::npos;) texte.erase(i, 1);
  return texte;
}

// Every escape sequence in `texte` is the one that clears a line's end.
bool SeulementEffacerFin(const std::string& texte) {
  for (std::size_t i = texte.find('\x1b'); i != std::string::npos; i = texte.find('\x1b', i + 1)) {
    if (texte.compare(i, 3, "\x1b[K") != 0) return false;
  }
  return true;
}

class TerminalTest : public ProgrammeTest {
 protected:
  // A process named `nom` that holds `fichier` open until it dies.
  static std::unique_ptr<Enfant> Occupant(const std::string& nom, const fs::path& fichier) {
    auto enfant = std::make_unique<Enfant>(
        nom.c_str(), [fichier] { return ::open(fichier.c_str(), O_RDONLY) >= 0; });
    EXPECT_TRUE(enfant->pret());
    return enfant;
  }
};

// A game, a file, a launcher file and a process with hostile names: every text for a person
// shows them with "?" in place of what would drive the terminal.
TEST_F(TerminalTest, HostileNamesNeverReachTheTerminalRaw) {
  const fs::path jeu = JeuSteam(Steam(), "1001", kHostile);
  JeuSteam(Steam(), "1002", "Autre " + kHostile);
  Ecrire(jeu / "drive_c/windows/temp" / (kHostile + ".txt"), "trace");
  Ecrire(racine_ / "xdg/data/lutris/games" / (kHostile + ".yml"), "game: [\n");
  std::unique_ptr<Enfant> occupant = Occupant(kHostile, jeu / "system.reg");
  const Sortie table = SurTerminal({"--prefixes"});
  const Sortie liste = Lancer({"--prefixes", "--tsv"});
  const Sortie apercu = Lancer({"--apercu", "1001"});
  const Sortie refus = Lancer({"--nettoyer", "1001"});
  const Sortie ambigu = Lancer({"--apercu", "Nom"});
  const Sortie option = Lancer({"--" + kHostile});
  occupant.reset();
  const Sortie nettoyage = SurTerminal({"--nettoyer", "1001"}, {"TERM=xterm"});

  EXPECT_EQ(table.code, 0) << table.erreurs;
  EXPECT_TRUE(Inoffensif(Lignes(table.sortie))) << table.sortie;
  EXPECT_NE(table.sortie.find(kHostileVu + " (1001)"), std::string::npos) << table.sortie;
  EXPECT_NE(table.sortie.find("occupé"), std::string::npos) << table.sortie;
  // The machine form escapes what would break a line or drive a terminal.
  EXPECT_EQ(liste.sortie.find('\x1b'), std::string::npos) << liste.sortie;
  EXPECT_EQ(liste.sortie.find('\r'), std::string::npos) << liste.sortie;
  EXPECT_EQ(liste.sortie.find("\xc2\x9b"), std::string::npos) << liste.sortie;
  EXPECT_NE(liste.sortie.find("\\x1b[2J\\xc2\\x9b31mNom\\r"), std::string::npos) << liste.sortie;

  EXPECT_EQ(apercu.code, 0) << apercu.erreurs;
  EXPECT_TRUE(Inoffensif(apercu.sortie)) << apercu.sortie;
  EXPECT_NE(apercu.sortie.find("Préfixe « " + kHostileVu + " » (steam, 1001)"), std::string::npos)
      << apercu.sortie;
  EXPECT_NE(apercu.sortie.find("C:\\windows\\temp\\" + kHostileVu + ".txt"), std::string::npos)
      << apercu.sortie;
  // The warnings: the launcher file that cannot be read, the process using the prefix.
  for (const Sortie* s : {&table, &liste, &apercu, &refus, &ambigu, &option, &nettoyage}) {
    EXPECT_TRUE(Inoffensif(s->erreurs)) << s->erreurs;
  }
  EXPECT_NE(apercu.erreurs.find("fichier ignoré " + (racine_ / "xdg/data/lutris/games").string() +
                                "/" + kHostileVu + ".yml : "),
            std::string::npos)
      << apercu.erreurs;
  EXPECT_NE(apercu.erreurs.find("est utilisé par ?[2J?"), std::string::npos) << apercu.erreurs;
  EXPECT_EQ(refus.code, 2);
  EXPECT_NE(refus.erreurs.find("est utilisé par ?[2J?"), std::string::npos) << refus.erreurs;
  EXPECT_EQ(ambigu.code, 2);
  EXPECT_NE(ambigu.erreurs.find("« " + kHostileVu + " » (steam, "), std::string::npos)
      << ambigu.erreurs;
  EXPECT_NE(ambigu.erreurs.find("« Autre " + kHostileVu + " » (steam, "), std::string::npos)
      << ambigu.erreurs;
  EXPECT_EQ(option.code, 2);
  EXPECT_EQ(option.erreurs, "tidora2000 : option non reconnue « --" + kHostileVu +
                                " »\nEssayez « tidora2000 --aide ».\n");
  // The status line names files and folders as it goes: only its own escape reaches the terminal.
  EXPECT_EQ(nettoyage.code, 0) << nettoyage.erreurs;
  EXPECT_TRUE(SeulementEffacerFin(nettoyage.sortie)) << nettoyage.sortie;
  EXPECT_EQ(nettoyage.sortie.find("\xc2\x9b"), std::string::npos);
  EXPECT_EQ(nettoyage.sortie.find("31mNom\r"), std::string::npos);
  EXPECT_EQ(nettoyage.sortie.find('\xff'), std::string::npos);
  EXPECT_FALSE(fs::exists(jeu / "drive_c/windows/temp" / (kHostile + ".txt")));
}

// On a terminal the status line is redrawn in place; TERM=dumb (or no TERM) gets blanks where
// another terminal gets the sequence that clears a line's end, and never an escape.
TEST_F(TerminalTest, ADumbTerminalGetsNoEscapeSequence) {
  const fs::path pfx = FairePrefixe(racine_ / "pfx");
  const auto remplir = [&] {
    for (int i = 0; i < 50; ++i) {
      Ecrire(pfx / "drive_c/windows/temp" / ("d" + std::to_string(i % 5)) /
                 (std::to_string(i) + ".tmp"),
             "x");
    }
  };
  for (const std::vector<std::string>& terme :
       {std::vector<std::string>{"TERM=dumb"}, {}, {"TERM=xterm-256color"}}) {
    remplir();
    const Sortie s = SurTerminal({"--nettoyer", pfx.string()}, terme);
    EXPECT_EQ(s.code, 0) << s.erreurs;
    EXPECT_NE(s.sortie.find('\r'), std::string::npos) << s.sortie;  // drawn in place
    EXPECT_TRUE(Lignes(s.sortie).ends_with("50 fichiers pour un total de 50 o\n")) << s.sortie;
    if (terme.empty() || terme[0] == "TERM=dumb") {
      EXPECT_EQ(s.sortie.find('\x1b'), std::string::npos) << s.sortie;
    } else {
      EXPECT_NE(s.sortie.find("\x1b[K"), std::string::npos) << s.sortie;
      EXPECT_TRUE(SeulementEffacerFin(s.sortie)) << s.sortie;
    }
    EXPECT_FALSE(fs::exists(pfx / "drive_c/windows/temp/d0"));
  }
  // Off a terminal: the summary alone, whatever TERM says.
  remplir();
  EXPECT_EQ(Lancer({"--nettoyer", pfx.string()}, {"TERM=xterm"}).sortie,
            "50 fichiers pour un total de 50 o\n");
}

// Standard output closed, or a full device: the run still happens, its status is 1 and standard
// error says once why; no file the run writes (the hive) ever takes the closed output's place.
TEST_F(TerminalTest, AFailedWriteOnStandardOutputGivesStatus1) {
  const fs::path pfx = FairePrefixe(racine_ / "pfx");
  Ecrire(pfx / "user.reg",
         "WINE REGISTRY Version 2\n\n[Software\\\\Microsoft\\\\Internet Explorer\\\\"
         "TypedURLs] 1700000000\n\"url1\"=\"http://exemple.fr/\"\n");
  const std::string message = "tidora2000 : erreur d'écriture sur la sortie standard\n";
  for (const Vers vers : {Vers::Fermee, Vers::Pleine}) {
    Ecrire(pfx / "drive_c/windows/temp/a.tmp", "a");
    const Sortie s = Lancer({"--nettoyer", pfx.string()}, {}, vers);
    EXPECT_EQ(s.code, 1) << static_cast<int>(vers);
    EXPECT_EQ(s.erreurs, message) << static_cast<int>(vers);
    EXPECT_FALSE(fs::exists(pfx / "drive_c/windows/temp/a.tmp"));
    const std::string ruche = Lire(pfx / "user.reg");
    EXPECT_TRUE(ruche.starts_with("WINE REGISTRY Version 2\n")) << ruche;
    EXPECT_EQ(ruche.find("fichiers"), std::string::npos) << ruche;
    EXPECT_EQ(ruche.find("url1"), std::string::npos) << ruche;
    for (const std::vector<std::string>& a : {std::vector<std::string>{"--aide"},
                                              {"--version"},
                                              {"--prefixes"},
                                              {"--prefixes", "--json"},
                                              {"--apercu", pfx.string()},
                                              {"--apercu", "--tsv", pfx.string()},
                                              {"--choix"},
                                              {"--nettoyer", "--tous"},
                                              {"--apercu", "--tous", "--json"}}) {
      const Sortie t = Lancer(a, {}, vers);
      EXPECT_EQ(t.code, 1) << a.back() << " " << static_cast<int>(vers);
      EXPECT_EQ(t.erreurs, message) << a.back() << " " << static_cast<int>(vers);
    }
  }
  // A refusal keeps its own status.
  EXPECT_EQ(Lancer({"--apercu", "absent/pfx"}, {}, Vers::Pleine).code, 2);
}

// 0 done; 1 files left undeleted (or output lost, above); 2 refused: a wrong command line, a
// target that names no prefix, a prefix in use, a wrong choice.
TEST_F(TerminalTest, ExitStatusesAreZeroOneOrTwo) {
  const fs::path pfx = FairePrefixe(racine_ / "pfx");
  Ecrire(pfx / "drive_c/windows/temp/a.tmp", "a");
  const fs::path fige = pfx / "drive_c/windows/temp/fige.tmp";
  Ecrire(fige, "f");
  EXPECT_EQ(Lancer({"--aide"}).code, 0);
  EXPECT_EQ(Lancer({"--choix"}).code, 0);
  EXPECT_EQ(Lancer({"--apercu", pfx.string()}).code, 0);
  EXPECT_EQ(Lancer({"--apercu", "--tous"}).code, 0);  // no prefix found: nothing to refuse
  EXPECT_EQ(Lancer({"--nettoyer", "--tous"}).code, 0);
  {
    std::unique_ptr<Enfant> occupant = Occupant("Jeu.exe", pfx / "system.reg");
    EXPECT_EQ(Lancer({"--nettoyer", pfx.string()}).code, 2);
  }
  for (const std::vector<std::string>& a : {std::vector<std::string>{"--inconnue"},
                                            {"--apercu", "--nettoyer"},
                                            {"--apercu", "Inconnu"},
                                            {"--nettoyer", "absent"},
                                            {"--choix=Inconnu"},
                                            {"--choix", "--masques=*"}}) {
    EXPECT_EQ(Lancer(a).code, 2) << a.back();
  }
  if (!RendreIndelebile(fige)) GTEST_SKIP() << "pas de fichier indélébile ici";
  const Sortie s = Lancer({"--nettoyer", pfx.string()});
  Liberer(fige);
  EXPECT_EQ(s.code, 1) << s.erreurs;
  // The run's count: each file it handled, the undeletable one in both passes that met it.
  EXPECT_EQ(s.sortie, "3 fichiers pour un total de 3 o\n1 fichier n'a pas pu être supprimé\n");
  EXPECT_FALSE(fs::exists(pfx / "drive_c/windows/temp/a.tmp"));
  EXPECT_TRUE(fs::exists(fige));
}

}  // namespace
