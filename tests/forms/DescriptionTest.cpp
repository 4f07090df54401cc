// The windows as data: which component a press reaches, the boxes' rules, the message texts.
#include <gtest/gtest.h>

#include <set>

#include "app/Unit1.h"
#include "forms/TexteBoite.h"
#include "options/Unit2.h"

namespace {

std::string Sous(const TDescription& d, int x, int y, std::set<std::string_view> bascules = {}) {
  const TComposant* c = ComposantSous(d, x, y, [&](std::string_view nom) {
    const TComposant* composant = d.Composant(nom);
    return composant->visible != (bascules.count(nom) != 0);
  });
  return c ? std::string(c->nom) : std::string();
}

TEST(DescriptionTest, APressReachesTheTopmostComponentUnderIt) {
  const TDescription& f1 = TForm1::Composants;
  EXPECT_EQ(Sous(f1, 330, 70), "Shape3");  // help over the close mark
  EXPECT_EQ(Sous(f1, 325, 88), "Shape3");  // and over the stop zone's corner
  EXPECT_EQ(Sous(f1, 56, 86), "Shape2");   // a zone's corner
  EXPECT_EQ(Sous(f1, 151, 87), "Image1");  // between two zones: the skin
  EXPECT_EQ(Sous(f1, 152, 86), "ShapeOptions");
  EXPECT_EQ(Sous(f1, 200, 279), "LabelNbFichiers");
  EXPECT_EQ(Sous(f1, 60, 200), "Image1");
  EXPECT_EQ(Sous(f1, 190, 131), "ShapeOptions");
  // Shown, the credits panel covers the zones.
  EXPECT_EQ(Sous(f1, 190, 131, {"Panel1"}), "Panel1");
  EXPECT_EQ(Sous(f1, 395, 10), "");

  const TDescription& fo = TFormOptions::Composants;
  EXPECT_EQ(Sous(fo, 449, 33), "Shape4");
  EXPECT_EQ(Sous(fo, 224 + 13, 110), "CheckBox1");
  EXPECT_EQ(Sous(fo, 224 + 14, 110), "Image1");
}

TEST(DescriptionTest, OptionBoxesAreInTabOrderAndShowOnlyTheirBox) {
  int numero = 0;
  for (const TComposant& c : TFormOptions::Composants.composants) {
    if (c.genre != TGenre::CaseACocher) continue;
    ++numero;
    EXPECT_EQ(c.nom, "CheckBox" + std::to_string(numero));
    EXPECT_EQ(c.boite.largeur, numero <= 8 ? 14 : 15) << c.nom;
  }
  EXPECT_EQ(numero, 17);
  EXPECT_EQ(TFormOptions::Composants.composants.back().nom, "EditEffacer");
  EXPECT_TRUE(TForm1::Composants.apercuTouches);
  EXPECT_FALSE(TFormOptions::Composants.apercuTouches);
}

TEST(TexteBoiteTest, ErrorsEndWithADotAfterCharactersSortingAfterItAndLinesBreakOnCR) {
  EXPECT_EQ(TexteErreur("Fichier introuvable"), "Fichier introuvable.");
  EXPECT_EQ(TexteErreur("Fini."), "Fini.");
  EXPECT_EQ(TexteErreur("Attention !"), "Attention !");  // '!' < '.'
  EXPECT_EQ(TexteErreur("Valeur (3)"), "Valeur (3)");    // ')' < '.'
  EXPECT_EQ(TexteErreur("chemin /"), "chemin /.");       // '/' > '.'
  EXPECT_EQ(TexteErreur("code 7"), "code 7.");
  EXPECT_EQ(TexteErreur("réglé"), "réglé.");  // beyond ASCII: after '.'
  EXPECT_EQ(TexteErreur(""), "");
  EXPECT_EQ(LignesBoite("a\rb\r\nc\n\r"), "a\nb\nc\n\n");
}

}  // namespace
