// The main window's logic, without a toolkit: start-up state, the credits keys, the label
// throttle and every way of quitting, during a run or not.
#include <filesystem>
#include <thread>

#include "cleaning/PlanMenage.h"
#include "forms/Aide.h"
#include "platform/SystemError.h"
#include "tests/forms/Environnement.h"
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/Enfant.h"
#endif

namespace {

class Form1Test : public FichesTest {
 protected:
  // 300 "*.tmp" files and a validated plan that removes them.
  void Preparer(int nombre = 300) {
    for (int i = 0; i < nombre; ++i) Creer("C:\\Donnees\\f" + std::to_string(i) + ".tmp", 2000);
    Valider({9});
    ASSERT_TRUE(PlanMenage.OptionsValidees);
  }
  // Runs `action` from inside the run's `quand`-th drain of the message queue.
  void PendantLeMenage(int quand, std::function<void()> action) {
    fenetre1.surVidage = [quand, action](int n) {
      if (n == quand) action();
    };
  }
};

TEST_F(Form1Test, StartUpRoundWithAnEmptyUnvalidatedPlanAndTheFileLoaded) {
  EXPECT_EQ(fenetre1.forme.genre, TForme::Ellipse);
  EXPECT_EQ(fenetreOptions.forme.genre, TForme::RectangleArrondi);
  EXPECT_EQ(fenetreOptions.forme.ew, 65);
  EXPECT_EQ(fenetreOptions.forme.eh, 65);
  EXPECT_FALSE(PlanMenage.OptionsValidees);
  EXPECT_FALSE(fenetreOptions.visible);

  // Before any validation a start shows the options and resets the counters, nothing else.
  form1->MouseDown("Shape2", TMouseButton::mbRight);
  EXPECT_TRUE(fenetreOptions.visible);
  EXPECT_EQ(fenetre1.textes["LabelNbFichiers"], "0");
  EXPECT_EQ(fenetre1.textes["LabelTaille"], "0 kO");
  EXPECT_EQ(fenetre1.textes.count("LabelEnCours"), 0u);
  EXPECT_TRUE(fenetre1.messages.empty());
}

TEST_F(Form1Test, DollarShowsTheCreditsStarHidesThemOtherKeysGoThrough) {
  for (int fois = 0; fois < 2; ++fois) {
    EXPECT_TRUE(form1->KeyPress(U'$'));
    EXPECT_TRUE(fenetre1.montres["Panel1"]);
    EXPECT_FALSE(form1->KeyPress(U'a'));
    EXPECT_TRUE(fenetre1.montres["Panel1"]);
    EXPECT_TRUE(form1->KeyPress(U'*'));
    EXPECT_FALSE(fenetre1.montres["Panel1"]);
  }
}

TEST_F(Form1Test, HeldBackCountsReachTheLabelsAtTheFirstDrainThirtyMillisecondsLater) {
  form1->AfficherNbFichiers("1");
  form1->AfficherNbFichiers("2");
  form1->AfficherTaille("2 kO");
  // No further file: the scanner only drains the queue, in a long run of empty folders.
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  form1->ScruteDossier1.TraiterMessages();
  EXPECT_EQ(fenetre1.textes["LabelNbFichiers"], "2");
  EXPECT_EQ(fenetre1.textes["LabelTaille"], "2 kO");
  EXPECT_EQ(fenetre1.vidages, 1);
}

TEST_F(Form1Test, RunEndsWithTheFinalCountsThenTheSummary) {
  Preparer(12);
  form1->MouseDown("Shape2", TMouseButton::mbLeft);
  ASSERT_EQ(fenetre1.messages.size(), 1u);
  EXPECT_EQ(fenetre1.messages[0], "12 fichiers pour un total de\r24 kO");
  EXPECT_EQ(fenetre1.textes["LabelNbFichiers"], "12");
  EXPECT_EQ(fenetre1.textes["LabelTaille"], "24 kO");
  EXPECT_EQ(fenetre1.textes["LabelEnCours"], "FIN");
  EXPECT_EQ(fenetre1.fermetures, 0);
}

// Quitting, closing or losing the window during a run: the run stops, no summary, the program
// ends once, after the run has unwound.
TEST_F(Form1Test, EveryWayOfQuittingDuringARunStopsItThenEndsOnce) {
  const std::vector<std::pair<const char*, std::function<void(TForm1&)>>> facons = {
      {"close zone", [](TForm1& f) { f.MouseDown("Shape1", TMouseButton::mbMiddle); }},
      {"close request", [](TForm1& f) { f.CloseQuery(); }},
      {"destroyed", [](TForm1& f) { f.Destroy(); }},
  };
  for (const auto& [facon, quitter] : facons) {
    Preparer();
    fenetre1 = FenetreFactice{};
    int fermeturesPendant = -1;
    PendantLeMenage(40, [&] {
      quitter(*form1);
      quitter(*form1);  // twice: still one ending
      fermeturesPendant = fenetre1.fermetures;
    });
    form1->MouseDown("Shape2", TMouseButton::mbLeft);
    EXPECT_EQ(fermeturesPendant, 0) << facon;
    EXPECT_EQ(fenetre1.fermetures, 1) << facon;
    EXPECT_FALSE(form1->Menage.EnCours()) << facon;
    EXPECT_LT(form1->Menage.NbFichiers, 60u) << facon;
    EXPECT_TRUE(fenetre1.messages.empty()) << facon;
    // The next start-up finds a new window.
    form1.reset();
    formOptions.reset();
    fenetre1 = FenetreFactice{};
    Demarrer();
  }
  // Outside a run, at once.
  form1->Destroy();
  EXPECT_EQ(fenetre1.fermetures, 1);
}

// The help reader gets the file's bytes as the drive holds them, or nothing when it has none.
TEST_F(Form1Test, HelpNamesTheFileOnceAndBothWindowsShowIt) {
  HelpFile.clear();
  form1->MouseDown("Shape3", TMouseButton::mbRight);
  const std::string aide = "C:\\Program Files\\Tidora 2000\\Tidora2000.hlp";
  EXPECT_EQ(HelpFile, aide);
  HelpFile = "C:\\Autre.hlp";
  temporaire.Creer("C:\\Autre.hlp", "AIDE\r\n\xE9t\xE9\n");
  formOptions->MouseDown("Shape4", TMouseButton::mbLeft);
  EXPECT_EQ(fenetre1.aides, std::vector<std::string>{aide});
  EXPECT_EQ(fenetre1.contenusAide, std::vector<std::optional<std::string>>{std::nullopt});
  EXPECT_EQ(fenetreOptions.aides, std::vector<std::string>{"C:\\Autre.hlp"});
  EXPECT_EQ(fenetreOptions.contenusAide,
            std::vector<std::optional<std::string>>{"AIDE\r\n\xE9t\xE9\n"});
  HelpFile.clear();
}

// Only a regular file is read: a folder, a link or a pipe in the help file's place gives the
// reader nothing, and nothing waits on the pipe.
TEST_F(Form1Test, HelpReadsOnlyARegularFile) {
  HelpFile.clear();
  const std::string aide = "C:\\Program Files\\Tidora 2000\\Tidora2000.hlp";
  const std::filesystem::path hote = temporaire.Hote(aide);
  std::filesystem::create_directory(hote);
  form1->MouseDown("Shape3", TMouseButton::mbLeft);
  std::filesystem::remove(hote);
#ifndef _WIN32
  temporaire.Creer("C:\\Vraie.hlp", "aide");
  std::filesystem::create_symlink(temporaire.Hote("C:\\Vraie.hlp"), hote);
  form1->MouseDown("Shape3", TMouseButton::mbLeft);
  std::filesystem::remove(hote);
  ASSERT_EQ(mkfifo(hote.c_str(), 0666), 0);
  alarm(30);  // a blocked call ends the test program
  form1->MouseDown("Shape3", TMouseButton::mbLeft);
  alarm(0);
#endif
  ASSERT_FALSE(fenetre1.contenusAide.empty());
  for (const auto& contenu : fenetre1.contenusAide) EXPECT_EQ(contenu, std::nullopt);
  HelpFile.clear();
}

#ifndef _WIN32
// The window's run, like every run, is refused while another program uses the prefix (here one
// holding a file open in it, with no Wine server): the error says who, and nothing goes.
TEST_F(Form1Test, APrefixInUseRefusesTheRunBeforeAnyFileGoes_Linux) {
  Preparer(5);
  const std::string fichier = temporaire.Hote("C:\\Donnees\\f0.tmp").string();
  Enfant jeu("Jeu.exe", [&] { return ::open(fichier.c_str(), O_RDONLY) >= 0; });
  ASSERT_TRUE(jeu.pret());
  try {
    form1->MouseDown("Shape2", TMouseButton::mbLeft);
    ADD_FAILURE() << "the run was not refused";
  } catch (const os::SystemError& e) {
    EXPECT_EQ(e.code(), os::error::SharingViolation);
    EXPECT_NE(std::string(e.what()).find("utilisé par Jeu.exe (processus " + std::to_string(jeu.pid()) + ")"),
              std::string::npos)
        << e.what();
  }
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(Existe("C:\\Donnees\\f" + std::to_string(i) + ".tmp"));
  EXPECT_TRUE(fenetre1.messages.empty());
  EXPECT_FALSE(form1->Menage.EnCours());
}
#endif

}  // namespace
