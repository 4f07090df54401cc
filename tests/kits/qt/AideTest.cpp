// The program's help reader, and the labels' font.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QTextBrowser>
#include <optional>
#include <string>

#include "kits/qt/Aide.h"
#include "kits/qt/Polices.h"

namespace {

const std::string kFichierAide = "C:\\Program Files\\Tidora 2000\\Tidora2000.hlp";

// The viewer's windows and the text the visible one shows.
struct EtatVisionneuse {
  int fenetres = 0;
  bool visible = false;
  QString texte;
};

EtatVisionneuse Visionneuse() {
  EtatVisionneuse etat;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->objectName() != "VisionneuseAide") continue;
    ++etat.fenetres;
    etat.visible = w->isVisible();
    if (auto* texte = w->findChild<QTextBrowser*>()) etat.texte = texte->toPlainText();
  }
  return etat;
}

// The viewer is given the file's bytes as read (forms/Aide reads them through the drive).
class AideTest : public testing::Test {
 protected:
  void TearDown() override {
    for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
  }
};

TEST_F(AideTest, AMissingHelpFileIsReportedByTheViewer) {
  MontrerLecteurAide(nullptr, QString::fromStdString(kFichierAide), std::nullopt);
  const EtatVisionneuse etat = Visionneuse();
  EXPECT_TRUE(etat.visible);
  EXPECT_EQ(etat.texte.toStdString(),
            "Impossible d'ouvrir le fichier d'aide " + kFichierAide + ".");
}

TEST_F(AideTest, TheHelpFileIsShownInOneReusedViewer) {
  const std::string aide = "AIDE\nCochez ce qu'il faut effacer, été comme hiver.\n";
  MontrerLecteurAide(nullptr, QString::fromStdString(kFichierAide), aide);
  MontrerLecteurAide(nullptr, QString::fromStdString(kFichierAide), aide);
  EtatVisionneuse etat = Visionneuse();
  EXPECT_EQ(etat.fenetres, 1);
  EXPECT_TRUE(etat.visible);
  EXPECT_EQ(etat.texte, QStringLiteral("AIDE\nCochez ce qu'il faut effacer, été comme hiver.\n"));

  // Another file in the same reader; not UTF-8, it is read as Windows-1252.
  MontrerLecteurAide(nullptr, QStringLiteral("C:\\Autre.hlp"),
                     "Autre aide, \xE9t\xE9 \x96 l\x92" "aide \x80");
  EXPECT_EQ(Visionneuse().texte, QStringLiteral("Autre aide, été – l’aide €"));
}

TEST(PoliceLabels, WithoutCenturyGothicATrueDemiBoldFaceIsUsed) {
  if (QFontDatabase::hasFamily("Century Gothic") || !QFontDatabase::hasFamily("URW Gothic")) {
    GTEST_SKIP() << "needs URW Gothic and no Century Gothic";
  }
  const QFont police = PoliceLabels(13);
  const QFontInfo info(police);
  // Families found twice carry their foundry: "URW Gothic [UKWN]".
  EXPECT_TRUE(info.family().startsWith("URW Gothic")) << info.family().toStdString();
  EXPECT_EQ(info.styleName().toStdString(), "Demi");
  EXPECT_EQ(info.pixelSize(), 13);
}

}  // namespace
