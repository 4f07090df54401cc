// The help action and this platform's help viewer, and the labels' font.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QTextBrowser>
#include <filesystem>

#include "app/skin/Aide.h"
#include "app/skin/Polices.h"
#include "tests/options_ui/Prefixe.h"

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

class AideTest : public testing::Test {
 protected:
  void SetUp() override {
    HelpFile.clear();
    std::filesystem::remove(PrefixeTemporaire::Hote(kFichierAide));
  }
  void TearDown() override {
    for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
  }
  PrefixeTemporaire prefixe;
};

TEST_F(AideTest, AMissingHelpFileIsReportedByTheViewer) {
  ActionAide(nullptr);
  EXPECT_EQ(HelpFile.toStdString(), kFichierAide);
  const EtatVisionneuse etat = Visionneuse();
  EXPECT_TRUE(etat.visible);
  EXPECT_EQ(etat.texte.toStdString(),
            "Impossible d'ouvrir le fichier d'aide " + kFichierAide + ".");
}

TEST_F(AideTest, TheHelpFileIsShownInOneReusedViewer) {
  PrefixeTemporaire::Ecrire(kFichierAide, "AIDE\nCochez ce qu'il faut effacer, été comme hiver.\n");
  ActionAide(nullptr);
  ActionAide(nullptr);
  EtatVisionneuse etat = Visionneuse();
  EXPECT_EQ(etat.fenetres, 1);
  EXPECT_TRUE(etat.visible);
  EXPECT_EQ(etat.texte, QStringLiteral("AIDE\nCochez ce qu'il faut effacer, été comme hiver.\n"));

  // A name already chosen is kept.
  HelpFile = QStringLiteral("C:\\Autre.hlp");
  PrefixeTemporaire::Ecrire("C:\\Autre.hlp", "Autre aide, \xE9t\xE9 en Latin-1");
  ActionAide(nullptr);
  EXPECT_EQ(Visionneuse().texte, QStringLiteral("Autre aide, été en Latin-1"));
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
