// The skinned windows on the screen: their titles name the prefix they work on, a window that
// would fall off the screen is brought onto it, and a run from a user's prefix protects saves.
// On an X server (ecran.sh) the titles are also read back from the window system.
#include <QProcess>
#include <QScreen>
#include <optional>

#include "kits/qt/Demarrage.h"
#include "tests/kits/qt/Environnement.h"

namespace {

// The title the window system holds for `fenetre` (_NET_WM_NAME), or nothing when there is no X
// server to ask.
std::optional<QString> TitreDuSysteme(QWidget* fenetre) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return std::nullopt;
  QProcess xprop;
  xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(fenetre->winId()),
                                        QStringLiteral("_NET_WM_NAME")});
  if (!xprop.waitForFinished(20000) || xprop.exitCode() != 0) return QStringLiteral("(xprop)");
  // _NET_WM_NAME(UTF8_STRING) = "Tidora 2000 — Anneau de Cendre"
  const QString ligne = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
  const qsizetype debut = ligne.indexOf(QLatin1Char('"'));
  if (debut < 0 || !ligne.endsWith(QLatin1Char('"'))) return ligne;
  return ligne.mid(debut + 1, ligne.size() - debut - 2);
}

QRect Voulue(const FenetreHabillee& f) {
  const TBoite& b = f.Fiche().Description().boite;
  return {b.gauche, b.haut, b.largeur, b.hauteur};
}

using EcranTest = FenetresTest;

TEST_F(EcranTest, TitlesNameThePrefixAndMessageBoxesKeepTheProgramsName) {
  const QString nomme = QString::fromUtf8("Tidora 2000 — Anneau de Cendre");
  // Named before the windows exist, as at start-up: the title goes with the native window.
  Arreter();
  Prendre(
      OuvrirFenetres({.lecteur = os::Drive::own(temporaire.Dossier()), .nom = "Anneau de Cendre"}));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
  Cliquer(form, kOptions);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(options));
  for (FenetreHabillee* f : {form, options}) {
    EXPECT_EQ(f->windowTitle(), nomme);
    if (const std::optional<QString> systeme = TitreDuSysteme(f)) {
      EXPECT_EQ(systeme->toStdString(), nomme.toStdString());
    }
  }
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), "Tidora 2000");

  // Named again while shown, then the program's own prefix: its name alone.
  fenetres->Nommer("Île (1)");
  EXPECT_EQ(form->windowTitle(), QString::fromUtf8("Tidora 2000 — Île (1)"));
  if (const std::optional<QString> systeme = TitreDuSysteme(options)) {
    EXPECT_EQ(systeme->toStdString(), "Tidora 2000 — Île (1)");
  }
  fenetres->Nommer("");
  for (FenetreHabillee* f : {form, options}) {
    EXPECT_EQ(f->windowTitle(), "Tidora 2000");
    if (const std::optional<QString> systeme = TitreDuSysteme(f)) {
      EXPECT_EQ(systeme->toStdString(), "Tidora 2000");
    }
  }
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), "Tidora 2000");
}

// Whatever the screen (800x800 offscreen; 1280x800 at a scale of 2 on an X server): each window
// lies whole on it once shown, at its fixed place when that fits, else against the edges it went
// past; shown again after a drag half off the screen, it is back on it.
TEST_F(EcranTest, EveryWindowIsShownWholeOnTheScreenAtItsPlaceWhenItFits) {
  options->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(options));
  int deplacees = 0;
  for (FenetreHabillee* f : {form, options}) {
    const QRect ecran = f->screen()->availableGeometry();
    const QRect voulue = Voulue(*f);
    EXPECT_TRUE(ecran.contains(f->geometry())) << f->objectName().toStdString();
    EXPECT_EQ(f->size(), voulue.size());
    EXPECT_EQ(f->x(),
              voulue.right() <= ecran.right() ? voulue.x() : ecran.right() + 1 - f->width());
    EXPECT_EQ(f->y(),
              voulue.bottom() <= ecran.bottom() ? voulue.y() : ecran.bottom() + 1 - f->height());
    deplacees += f->pos() != voulue.topLeft();
  }
  if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
    EXPECT_EQ(deplacees, 1);  // 800x800: the main window fits, the options window does not
  }

  const QRect ecran = options->screen()->availableGeometry();
  options->hide();
  options->move(ecran.right() - 100, ecran.bottom() - 50);
  options->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(options));
  EXPECT_TRUE(ecran.contains(options->geometry()));
}

TEST(PlaceSurLEcran, KeepsAPlaceThatFitsAndMovesAWindowOnlyAsFarAsItMust) {
  const QRect principale(325, 171, 395, 392), options(371, 326, 485, 349);
  const QRect grand(0, 0, 1920, 1080);
  EXPECT_EQ(PlaceSurLEcran(principale, {grand}), QPoint(325, 171));
  EXPECT_EQ(PlaceSurLEcran(options, {grand}), QPoint(371, 326));
  EXPECT_EQ(PlaceSurLEcran(QRect(1525, 688, 395, 392), {grand}), QPoint(1525, 688));  // flush
  // 1280x800 at a scale of 2.
  const QRect demi(0, 0, 640, 400);
  EXPECT_EQ(PlaceSurLEcran(principale, {demi}), QPoint(245, 8));
  EXPECT_EQ(PlaceSurLEcran(options, {demi}), QPoint(155, 51));
  // A panel along the top; a window larger than the screen keeps its top left corner on it.
  EXPECT_EQ(PlaceSurLEcran(principale, {QRect(0, 32, 640, 368)}), QPoint(245, 32));
  EXPECT_EQ(PlaceSurLEcran(QRect(-50, -50, 700, 500), {demi}), QPoint(0, 0));
  EXPECT_EQ(PlaceSurLEcran(principale, {}), QPoint(325, 171));
}

TEST(PlaceSurLEcran, GoesOntoTheScreenHoldingMostOfTheWindowElseThePrimaryOne) {
  const QList<QRect> deux{QRect(0, 0, 1024, 768), QRect(1024, 0, 1280, 1024)};
  EXPECT_EQ(PlaceSurLEcran(QRect(1100, 600, 395, 392), deux), QPoint(1100, 600));
  EXPECT_EQ(PlaceSurLEcran(QRect(900, 100, 395, 392), deux), QPoint(1024, 100));
  EXPECT_EQ(PlaceSurLEcran(QRect(700, 500, 395, 392), deux), QPoint(629, 376));
  EXPECT_EQ(PlaceSurLEcran(QRect(5000, 5000, 395, 392), deux), QPoint(629, 376));
  EXPECT_EQ(PlaceSurLEcran(QRect(-900, 100, 395, 392), {deux[1], deux[0]}), QPoint(1024, 100));
}

// A user's prefix opened in the windows: the run's mask passes leave its saves, the save folders
// its profile names and its game folders, as the command line's run does.
TEST_F(EcranTest, ARunOnAUsersPrefixLeavesItsSavesAndGames) {
  Arreter();
  Prendre(OuvrirFenetres({.lecteur = os::Drive::own(temporaire.Dossier()),
                          .nom = "Anneau de Cendre",
                          .proteger = true,
                          .jeux = {"C:\\Jeux\\Anneau"},
                          .sauvegardes = {"C:\\Parties"}}));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
  const char* gardes[] = {"C:\\users\\joueur\\AppData\\Roaming\\Anneau\\partie.tmp",
                          "C:\\Jeux\\Anneau\\donnees.tmp", "C:\\Parties\\anneau.tmp"};
  for (const char* chemin : gardes) Creer(chemin);
  Creer("C:\\Projets\\notes.tmp");
  Valider({9});
  ASSERT_TRUE(PlanMenage.OptionsValidees);
  Cliquer(form, kLancer);
  EXPECT_FALSE(Existe("C:\\Projets\\notes.tmp"));
  for (const char* chemin : gardes) EXPECT_TRUE(Existe(chemin)) << chemin;
  EXPECT_EQ(Form1->Menage.NbProteges, 3u);
}

}  // namespace
