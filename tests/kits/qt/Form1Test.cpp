// The main window as the user meets it: what it shows at start-up, and which component each
// press, key and drag reaches.
#include <QLabel>
#include <QSignalSpy>

#include "tests/kits/qt/Environnement.h"

namespace {

using Form1Test = FenetresTest;

TEST_F(Form1Test, StartsRoundWithItsTextsAndAnEmptyUnvalidatedPlan) {
  EXPECT_EQ(form->pos(), QPoint(325, 171));
  EXPECT_EQ(form->size(), QSize(395, 392));
  EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
  // The ellipse: the centre and the middle of each edge are in, the corners are out.
  const QRegion forme = form->mask();
  EXPECT_TRUE(forme.contains(QPoint(197, 196)));
  EXPECT_TRUE(forme.contains(QPoint(2, 196)));
  EXPECT_TRUE(forme.contains(QPoint(197, 2)));
  EXPECT_FALSE(forme.contains(QPoint(10, 10)));
  EXPECT_FALSE(forme.contains(QPoint(385, 382)));

  EXPECT_EQ(Label("LabelEnCours")->text(), "Choisissez les options d'abord ...");
  EXPECT_EQ(Label("LabelNbFichiers")->text(), "0");
  EXPECT_EQ(Label("LabelTaille")->text(), "0 kO");
  EXPECT_EQ(Label("LabelEnCours")->palette().color(QPalette::WindowText), QColor(55, 84, 200));
  EXPECT_EQ(Label("LabelTaille")->palette().color(QPalette::WindowText), QColor(240, 64, 19));
  EXPECT_EQ(Label("LabelNbFichiers")->font().pixelSize(), 16);
  EXPECT_EQ(Label("LabelEnCours")->font().pixelSize(), 13);
  EXPECT_TRUE(Label("LabelEnCours")->font().bold() || Label("LabelEnCours")->font().weight() > 500);
  EXPECT_TRUE(Label("LabelEnCours")->alignment() & Qt::AlignHCenter);
  EXPECT_FALSE(form->Composant<QWidget>("Panel1")->isVisible());
  EXPECT_FALSE(options->isVisible());

  // The hints are kept for whoever asks, never shown as tooltips.
  EXPECT_EQ(form->Composant<ZoneSouris>("Shape2")->Conseil(), "Lance  la recherche et la suppression des fichiers");
  EXPECT_EQ(form->Composant<ZoneSouris>("Shape1")->Conseil(), "Quitter l'application");
  EXPECT_EQ(form->Composant<ZoneSouris>("ShapeOptions")->Conseil(), "Choisissez vos options.");
  EXPECT_EQ(form->Composant<ZoneSouris>("ShapeEffacer")->Conseil(), "Stopper le processus.");
  EXPECT_EQ(form->Composant<ZoneSouris>("Shape3")->Conseil(), "L'aide");
  EXPECT_TRUE(form->Composant<ZoneSouris>("Shape2")->toolTip().isEmpty());

  // Start-up order: the window emptied the plan before the options window loaded the file.
  EXPECT_FALSE(PlanMenage.OptionsValidees);
}

TEST_F(Form1Test, ComponentsAreFoundByTheirNames) {
  for (const char* nom : {"Image1", "Shape1", "Shape2", "ShapeOptions", "ShapeEffacer", "Shape3",
                          "LabelEnCours", "LabelNbFichiers", "LabelTaille", "Panel1", "Image2"}) {
    EXPECT_NE(form->findChild<QWidget*>(QString::fromLatin1(nom)), nullptr) << nom;
  }
  EXPECT_EQ(form->objectName(), "Form1");
  EXPECT_EQ(form->Composant<QWidget>("Image2")->parentWidget(), form->Composant<QWidget>("Panel1"));
  EXPECT_EQ(form->Composant<QWidget>("Image2")->geometry(), QRect(1, 1, 160, 32));
  EXPECT_EQ(form->Composant<QWidget>("Panel1")->geometry(), QRect(112, 128, 161, 33));
}

TEST_F(Form1Test, TheOptionsWindowBelongsToTheMainWindowAndKeepsItsOwnComponents) {
  Cliquer(form, kOptions);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(options));
  // A transient window of the main one: above it, no taskbar entry of its own.
  ASSERT_NE(options->windowHandle(), nullptr);
  EXPECT_EQ(options->windowHandle()->transientParent(), form->windowHandle());
  EXPECT_TRUE(options->isWindow());
  // Its fixed place (371, 326) goes past the right edge of the test screen (800x800): brought
  // back onto it.
  EXPECT_EQ(options->pos(), QPoint(800 - 485, 326));
  // Both windows name their components alike: each finds only its own.
  EXPECT_EQ(form->Composant<QWidget>("Shape4"), nullptr);
  EXPECT_EQ(form->Composant<QWidget>("Image1")->window(), form);
  EXPECT_EQ(options->Composant<QWidget>("Image1")->window(), options);
  EXPECT_EQ(options->Composant<QWidget>("Panel1"), nullptr);
  EXPECT_THROW(form->SetCoche("CheckBox1", true), std::logic_error);
}

TEST_F(Form1Test, EveryButtonOfTheMouseWorksTheZones) {
  for (Qt::MouseButton bouton : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
    options->hide();
    Cliquer(form, kOptions, bouton);
    EXPECT_TRUE(options->isVisible()) << bouton;
    // Options not yet validated: a start shows the options window and resets the counters.
    options->hide();
    Label("LabelNbFichiers")->setText(QStringLiteral("7"));
    Cliquer(form, kLancer, bouton);
    EXPECT_TRUE(options->isVisible()) << bouton;
    EXPECT_EQ(Label("LabelNbFichiers")->text(), "0");
    EXPECT_EQ(Label("LabelEnCours")->text(), "Choisissez les options d'abord ...");
  }
  EXPECT_TRUE(boites.empty());
  // An elliptic zone answers anywhere in its bounding rectangle, corners included.
  options->hide();
  Cliquer(form, QPoint(151, 87));
  EXPECT_FALSE(options->isVisible());
  Cliquer(form, QPoint(152, 86));
  EXPECT_TRUE(options->isVisible());

  QSignalSpy fermee(form, &FenetreHabillee::Fermee);
  Cliquer(form, kQuitter, Qt::MiddleButton);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(fermee.count(), 1);
}

TEST_F(Form1Test, HelpZoneLiesOverTheCloseMarkAndTheStopZone) {
  const std::string aide = "C:\\Program Files\\Tidora 2000\\Tidora2000.hlp";
  Cliquer(form, QPoint(330, 70));  // inside both the close mark and the help zone
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(HelpFile, aide);

  HelpFile.clear();
  Cliquer(form, QPoint(325, 88), Qt::RightButton);  // the stop zone's corner under help
  EXPECT_EQ(HelpFile, aide);
  EXPECT_TRUE(form->isVisible());
}

TEST_F(Form1Test, DollarShowsTheCreditsAndStarHidesThem) {
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form));
  for (int fois = 0; fois < 3; ++fois) {
    QTest::keyClick(form->windowHandle(), '$');
    EXPECT_TRUE(form->Composant<QWidget>("Panel1")->isVisible());
    QTest::keyClick(form->windowHandle(), '$');
    EXPECT_TRUE(form->Composant<QWidget>("Panel1")->isVisible());
    QTest::keyClick(form->windowHandle(), 'a');
    EXPECT_TRUE(form->Composant<QWidget>("Panel1")->isVisible());
    QTest::keyClick(form->windowHandle(), '*');
    EXPECT_FALSE(form->Composant<QWidget>("Panel1")->isVisible());
  }
  // Seen first even when a control of the window holds the focus.
  Label("LabelTaille")->setFocusPolicy(Qt::StrongFocus);
  Label("LabelTaille")->setFocus();
  QTest::keyClick(form->windowHandle(), '$');
  EXPECT_TRUE(form->Composant<QWidget>("Panel1")->isVisible());
  Form1->FormKeyPress(U'*');

  // Keys typed in the options window are its own: "*.$*" is a mask, not the credits.
  options->show();
  options->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(options));
  EditEffacer()->setFocus();
  for (char touche : {'*', '.', '$', '*'}) QTest::keyClick(options->windowHandle(), touche);
  EXPECT_EQ(EditEffacer()->text(), "*.$*");
  EXPECT_FALSE(form->Composant<QWidget>("Panel1")->isVisible());
}

TEST_F(Form1Test, ShownCreditsPanelSwallowsPressesOverTheZones) {
  const QPoint sousPanneau(190, 131);  // the options zone, under the panel's lower edge
  Form1->FormKeyPress(U'$');
  Cliquer(form, sousPanneau);
  EXPECT_FALSE(options->isVisible());
  EXPECT_EQ(form->pos(), QPoint(325, 171));
  Form1->FormKeyPress(U'*');
  Cliquer(form, sousPanneau);
  EXPECT_TRUE(options->isVisible());
}

TEST_F(Form1Test, SkinDragsTheWindowButLabelsDoNot) {
  // Offscreen there is no window manager to move it: the window follows the pointer itself.
  QTest::mousePress(form->windowHandle(), Qt::LeftButton, {}, kFond);
  QTest::mouseMove(form->windowHandle(), kFond + QPoint(30, 20));
  // The window has followed: the pointer is back over the same point of the skin.
  QTest::mouseRelease(form->windowHandle(), Qt::LeftButton, {}, kFond);
  QCoreApplication::processEvents();
  EXPECT_EQ(form->pos(), QPoint(355, 191));

  const QPoint surLabel(200, 279);
  const QPoint avant = form->pos();
  for (Qt::MouseButton bouton : {Qt::LeftButton, Qt::RightButton}) {
    QTest::mousePress(form->windowHandle(), bouton, {}, surLabel);
    QTest::mouseMove(form->windowHandle(), surLabel + QPoint(40, 40));
    QTest::mouseRelease(form->windowHandle(), bouton, {}, surLabel + QPoint(40, 40));
    QCoreApplication::processEvents();
    EXPECT_EQ(form->pos(), avant);
  }
  EXPECT_EQ(Label("LabelNbFichiers")->text(), "0");
  EXPECT_FALSE(options->isVisible());
}

TEST_F(Form1Test, FreeMasksSurviveARestart) {
  Valider({9}, QStringLiteral("*.xyz;brouillon*.*"));
  ASSERT_TRUE(PlanMenage.OptionsValidees);
  Arreter();

  Demarrer();
  EXPECT_FALSE(PlanMenage.OptionsValidees);
  EXPECT_EQ(EditEffacer()->text(), "*.xyz;brouillon*.*");
  EXPECT_TRUE(Case(9)->isChecked());
  // Validating again without touching anything keeps them, and a run uses them.
  Creer("C:\\Travail\\a.xyz");
  Creer("C:\\Travail\\brouillon1.txt");
  Creer("C:\\Travail\\garder.txt");
  options->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(options));
  Cliquer(options, QPoint(14 + 36, 296 + 20));
  ASSERT_TRUE(PlanMenage.OptionsValidees);
  Cliquer(form, kLancer);
  EXPECT_FALSE(Existe("C:\\Travail\\a.xyz"));
  EXPECT_FALSE(Existe("C:\\Travail\\brouillon1.txt"));
  EXPECT_TRUE(Existe("C:\\Travail\\garder.txt"));
}

TEST_F(Form1Test, RefusedValidationShowsTheErrorAndTheProgramCarriesOn) {
  Valider({9}, QStringLiteral("*.*"));
  ASSERT_EQ(boites.size(), 1u);
  EXPECT_EQ(boites[0].type, TypeMessage::Erreur);
  EXPECT_FALSE(boites[0].texte.isEmpty());
  EXPECT_TRUE(boites[0].texte.endsWith(QChar(u'.')) || boites[0].texte.back() < QChar(u'.'));
  EXPECT_FALSE(PlanMenage.OptionsValidees);
  EXPECT_TRUE(options->isVisible());
  // Still alive: the main window answers the next press.
  options->hide();
  Cliquer(form, kOptions);
  EXPECT_TRUE(options->isVisible());
}

}  // namespace
