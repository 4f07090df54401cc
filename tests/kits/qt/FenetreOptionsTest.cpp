// The options window driven as a user would: presses sent to the window at skin coordinates, so
// that the stacking of the zones, boxes and background decides who gets them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "forms/Aide.h"
#include "kits/qt/FenetreHabillee.h"
#include "kits/qt/Messages.h"
#include "cleaning/PlanMenage.h"
#include "options/FichierOptions.h"
#include "options/Unit2.h"
#include "platform/Drive.h"
#include "platform/Registry.h"
#include "tests/kits/qt/Prefixe.h"

namespace {

struct LogiqueOptions {
  explicit LogiqueOptions(const os::Drive& lecteur) : logique(lecteur) {}
  TFormOptions logique;
};

// The options window, counting the presses that reach the skin itself instead of dragging it.
class FenetreObservee : private LogiqueOptions, public FenetreHabillee {
 public:
  explicit FenetreObservee(const os::Drive& lecteur)
      : LogiqueOptions(lecteur), FenetreHabillee(logique) {}
  int pressionsFond = 0;
  QCheckBox* Case(int numero) const {
    return Composant<QCheckBox>(("CheckBox" + std::to_string(numero)).c_str());
  }
  QLineEdit* EditEffacer() const { return Composant<QLineEdit>("EditEffacer"); }

 protected:
  void Image1MouseDown(QMouseEvent*) override { ++pressionsFond; }
};

// Centres of the zones.
const QPoint kValider(14 + 36, 296 + 20);
const QPoint kQuitter(128 + 36, 296 + 20);
const QPoint kFermer(428 + 8, 11 + 12);
const QPoint kAide(446 + 16, 31 + 12);
const QPoint kFermerSousAide(449, 33);  // inside both the close and the help circles

class FenetreOptionsTest : public AvecLecteur {
 protected:
  void SetUp() override {
    PlanMenage.Clear();
    PlanMenage.OptionsValidees = false;
    HelpFile.clear();
    InterceptionMessages = [this](TypeMessage type, const QString& texte) {
      boites.emplace_back(type, texte);
    };
  }
  void TearDown() override {
    fenetre.reset();
    for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
    InterceptionMessages = nullptr;
  }

  // Creates the window on `sur` (FormCreate runs) and shows it, as the main window's options zone
  // does.
  FenetreObservee& Ouvrir(const os::Drive* sur = nullptr) {
    fenetre = std::make_unique<FenetreObservee>(sur != nullptr ? *sur : lecteur);
    Montrer();
    return *fenetre;
  }
  void Montrer() {
    fenetre->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(fenetre.get()));
  }
  void Presser(QPoint ou, Qt::MouseButton bouton = Qt::LeftButton) {
    QTest::mousePress(fenetre->windowHandle(), bouton, {}, ou);
    QTest::mouseRelease(fenetre->windowHandle(), bouton, {}, ou);
  }
  QPoint DansCase(int numero, int dx = 7) const {
    const QRect r = fenetre->Case(numero)->geometry();
    return {r.left() + dx, r.top() + 8};
  }
  std::optional<std::string> FichierOptions() const {
    return LireFichier(temporaire, CheminOptions(lecteur));
  }
  void EcrireOptions(const std::string& texte) const {
    temporaire.Creer(CheminOptions(lecteur), texte);
  }
  os::RegistryKey ShellFolders() const {
    return lecteur.createKey(
        "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
  }

  // A drive other than the test's own, when a test needs one; it outlives the window.
  std::optional<os::Drive> autre;
  std::unique_ptr<FenetreObservee> fenetre;
  std::vector<std::pair<TypeMessage, QString>> boites;
};

TEST_F(FenetreOptionsTest, ValidatingWritesTheFileRebuildsThePlanAndHides) {
  auto& f = Ouvrir();
  for (int numero : {6, 3, 9, 17}) Presser(DansCase(numero));
  QTest::mouseClick(f.EditEffacer(), Qt::LeftButton);
  QTest::keyClicks(f.EditEffacer(), "*.txt;file*.*");

  Presser(kValider);

  EXPECT_TRUE(boites.empty()) << boites.front().second.toStdString();
  EXPECT_FALSE(f.isVisible());
  EXPECT_TRUE(PlanMenage.OptionsValidees);
  const auto fichier = FichierOptions();
  ASSERT_TRUE(fichier);
  EXPECT_EQ(fichier->rfind("[Dossiers]\r\n", 0), 0u) << *fichier;
  EXPECT_NE(
      fichier->find("\\temp\r\nTypedURL=\\Software\\Microsoft\\Internet Explorer\\TypedURLs\r\n"
                    "[Fichiers]\r\nxt1=*.tmp\r\nxt9=*.$*\r\nxt11=*.txt\r\nxt12=file*.*\r\n"),
      std::string::npos)
      << *fichier;
  EXPECT_EQ(PlanMenage.TableDossiers[4], lecteur.windowsDirectory() + "\\temp");
  EXPECT_FALSE(PlanMenage.TableRegistre[1].empty());
  EXPECT_TRUE(PlanMenage.TableDossiers[0].empty());
  EXPECT_EQ(PlanMenage.TableMotifs[0], "*.tmp");
  EXPECT_EQ(PlanMenage.TableMotifs[8], "*.$*");
  EXPECT_EQ(PlanMenage.TableMotifs[10], "*.txt");
  EXPECT_EQ(PlanMenage.TableMotifs[11], "file*.*");
  EXPECT_EQ(f.pressionsFond, 0);
}

TEST_F(FenetreOptionsTest, QuitAndCloseOnlyHideAndTheChangesStayInTheWindow) {
  EcrireOptions("[Dossiers]\r\n[Fichiers]\r\nxt2=*.bak\r\n");
  auto& f = Ouvrir();
  ASSERT_TRUE(f.Case(10)->isChecked());
  const TPlanMenage avant = PlanMenage;

  Presser(DansCase(10));
  Presser(DansCase(1));
  f.EditEffacer()->setText("*.x");
  Presser(kQuitter);
  EXPECT_FALSE(f.isVisible());
  Montrer();
  EXPECT_FALSE(f.Case(10)->isChecked());
  EXPECT_TRUE(f.Case(1)->isChecked());
  EXPECT_EQ(f.EditEffacer()->text(), "*.x");

  Presser(DansCase(4));
  Presser(kFermer);
  EXPECT_FALSE(f.isVisible());
  Montrer();
  EXPECT_TRUE(f.Case(4)->isChecked());
  EXPECT_FALSE(f.Case(10)->isChecked());

  EXPECT_EQ(FichierOptions(), "[Dossiers]\r\n[Fichiers]\r\nxt2=*.bak\r\n");
  EXPECT_EQ(PlanMenage.TableMotifs, avant.TableMotifs);
  EXPECT_EQ(PlanMenage.TableDossiers, avant.TableDossiers);
  EXPECT_FALSE(PlanMenage.OptionsValidees);
  EXPECT_TRUE(boites.empty());
}

TEST_F(FenetreOptionsTest, OnlyTheBoxItselfTogglesAPressOnItsPrintedLabelReachesTheSkin) {
  auto& f = Ouvrir();
  // Boxes 1 to 8 are 14 pixels wide, 9 to 17 are 15.
  Presser(DansCase(2, 13));
  Presser(DansCase(9, 14));
  EXPECT_TRUE(f.Case(2)->isChecked());
  EXPECT_TRUE(f.Case(9)->isChecked());
  EXPECT_EQ(f.pressionsFond, 0);

  Presser(DansCase(2, 14));
  Presser(DansCase(9, 15));
  Presser(DansCase(5, 60));
  EXPECT_TRUE(f.Case(2)->isChecked());
  EXPECT_TRUE(f.Case(9)->isChecked());
  EXPECT_FALSE(f.Case(5)->isChecked());
  EXPECT_EQ(f.pressionsFond, 3);
  EXPECT_TRUE(f.isVisible());

  // Another button on a box neither toggles it nor drags the window.
  Presser(DansCase(2), Qt::RightButton);
  EXPECT_TRUE(f.Case(2)->isChecked());
  EXPECT_EQ(f.pressionsFond, 3);
}

TEST_F(FenetreOptionsTest, RightAndMiddleButtonsWorkTheZonesLikeTheLeftOne) {
  auto& f = Ouvrir();
  Presser(kQuitter, Qt::RightButton);
  EXPECT_FALSE(f.isVisible());
  Montrer();
  Presser(kFermer, Qt::MiddleButton);
  EXPECT_FALSE(f.isVisible());
  Montrer();
  Presser(kValider, Qt::RightButton);
  EXPECT_FALSE(f.isVisible());
  EXPECT_TRUE(PlanMenage.OptionsValidees);
  EXPECT_EQ(FichierOptions(), "[Dossiers]\r\n[Fichiers]\r\n");
  EXPECT_EQ(f.pressionsFond, 0);
}

TEST_F(FenetreOptionsTest, WhereHelpOverlapsCloseTheHelpWins) {
  auto& f = Ouvrir();
  Presser(kFermerSousAide, Qt::RightButton);
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(HelpFile, "C:\\Program Files\\Tidora 2000\\Tidora2000.hlp");
  QWidget* visionneuse = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->objectName() == "VisionneuseAide") visionneuse = w;
  }
  ASSERT_NE(visionneuse, nullptr);
  EXPECT_TRUE(visionneuse->isVisible());
  Presser(kAide);
  EXPECT_TRUE(f.isVisible());
  EXPECT_TRUE(boites.empty());
}

TEST_F(FenetreOptionsTest, CreationSetsTheBoxesFromTheFileAndRestoresTheFreeMasks) {
  EcrireOptions(
      "[Dossiers]\r\nCache=C:\\Cache\r\nHistory=\r\n"
      "DocFind=\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
      "Doc Find Spec MRU\r\nSbdr=C:\\windows\\SYSBCKUP\r\n"
      "TypedURL=\\Software\\Microsoft\\Internet Explorer\\TypedURLs\r\n"
      "[Fichiers]\r\nxt1=*.tmp\r\nxt3=*.gid\r\nxt9=*.$*\r\n"
      "xt11=*.txt\r\nxt12=a b.doc\r\n");
  PlanMenage.OptionsValidees = true;
  auto& f = Ouvrir();

  std::vector<int> coches;
  for (int i = 0; i < 17; ++i) {
    if (f.Case(i + 1)->isChecked()) coches.push_back(i + 1);
  }
  EXPECT_EQ(coches, (std::vector<int>{1, 3, 7, 8, 9, 11, 17}));
  EXPECT_EQ(f.EditEffacer()->text(), "*.txt;a b.doc");
  EXPECT_EQ(PlanMenage.TableMotifs[11], "a b.doc");
  EXPECT_TRUE(PlanMenage.OptionsValidees);
  EXPECT_TRUE(boites.empty());

  // Validating untouched keeps the free masks in the file.
  Presser(kValider);
  ASSERT_TRUE(FichierOptions());
  EXPECT_NE(FichierOptions()->find("xt11=*.txt\r\nxt12=a b.doc\r\n"), std::string::npos);
}

TEST_F(FenetreOptionsTest, ARefusedValidationShowsTheErrorAndChangesNothing) {
  const std::string ancien = "[Dossiers]\r\nTemp=C:\\windows\\TEMP\r\n[Fichiers]\r\nxt5=*.log\r\n";
  EcrireOptions(ancien);
  auto& f = Ouvrir();
  const TPlanMenage avant = PlanMenage;

  // A free mask that would match every file.
  f.EditEffacer()->setText("*.txt;*.*");
  Presser(kValider);
  ASSERT_EQ(boites.size(), 1u);
  EXPECT_EQ(boites[0].first, TypeMessage::Erreur);
  EXPECT_TRUE(boites[0].second.startsWith(QStringLiteral("Masque refusé : *.*")))
      << boites[0].second.toStdString();

  // A folder location stored as a number.
  f.EditEffacer()->setText("*.txt");
  Presser(DansCase(1));
  ShellFolders().setValue("Cache", os::reg::Dword, std::string("\x01\x00\x00\x00", 4));
  Presser(kValider);
  ASSERT_EQ(boites.size(), 2u);
  EXPECT_EQ(boites[1].second, QStringLiteral("Type de données incorrect pour 'Cache'"));

  // A folder location that would add lines of its own to the file.
  ShellFolders().setString("Cache", "C:\\x\r\n[Fichiers]\r\nxt1=*.doc");
  Presser(kValider);
  ASSERT_EQ(boites.size(), 3u);
  EXPECT_EQ(boites[2].second,
            QStringLiteral("Saut de ligne ou caractère de contrôle dans la valeur 'Cache'"));

  EXPECT_TRUE(f.isVisible());
  EXPECT_FALSE(PlanMenage.OptionsValidees);
  EXPECT_EQ(PlanMenage.TableDossiers, avant.TableDossiers);
  EXPECT_EQ(PlanMenage.TableMotifs, avant.TableMotifs);
  EXPECT_EQ(FichierOptions(), ancien);
  EXPECT_EQ(f.pressionsFond, 0);
}

// A Wine prefix as Wine leaves it has no folder of the program: opening the options window,
// quitting it, asking for help and a refused validation make none; the first validation makes
// it, holding the options alone.
TEST_F(FenetreOptionsTest, OnAWinePrefixTheProgramsFolderComesWithTheFirstValidation) {
  const std::filesystem::path wine = temporaire.Dossier() / "wine";
  std::filesystem::create_directories(wine / "drive_c/windows/temp");
  std::ofstream(wine / "system.reg") << "WINE REGISTRY Version 2\n";
  std::ofstream(wine / "user.reg") << "WINE REGISTRY Version 2\n";
  autre = os::Drive::existing(wine);
  const std::filesystem::path programmes = wine / "drive_c/Program Files";
  auto& f = Ouvrir(&*autre);
  Presser(kQuitter);
  Montrer();
  Presser(kAide);
  f.EditEffacer()->setText("*.*");
  Presser(kValider);
  ASSERT_EQ(boites.size(), 1u);
  EXPECT_TRUE(f.isVisible());
  EXPECT_FALSE(std::filesystem::exists(programmes));

  f.EditEffacer()->setText("*.txt");
  Presser(DansCase(9));
  Presser(kValider);
  EXPECT_EQ(boites.size(), 1u);
  EXPECT_TRUE(PlanMenage.OptionsValidees);
  EXPECT_EQ(Noms(programmes), "Tidora 2000 ");
  EXPECT_EQ(Noms(programmes / "Tidora 2000"), "options.ini ");
  EXPECT_EQ(PlanMenage.TableMotifs[10], "*.txt");
  EXPECT_FALSE(std::filesystem::exists(temporaire.Hote(CheminOptions(lecteur))));
}

}  // namespace
