// The command line read the GNU way, and its wrong forms refused with French messages.
#include <gtest/gtest.h>

#include "kits/ligne/Arguments.h"

namespace {

Commande Lire(std::initializer_list<std::string_view> a) { return LireArguments(a); }

std::string Erreur(std::initializer_list<std::string_view> a) {
  try {
    LireArguments(a);
  } catch (const ErreurArguments& e) {
    return e.what();
  }
  return "(acceptée)";
}

using Action = Commande::Action;

TEST(ArgumentsTest, OptionsTheirAbbreviationsAndValues) {
  EXPECT_EQ(Lire({}).action, Action::Fenetres);
  for (auto a : {"-h", "--aide", "--help", "--ai", "--he"}) EXPECT_EQ(Lire({a}).action, Action::Aide) << a;
  EXPECT_EQ(Lire({"--version"}).action, Action::Version);
  EXPECT_EQ(Lire({"--v"}).action, Action::Version);
  const Commande liste = Lire({"--prefixes", "--ts"});
  EXPECT_EQ(liste.action, Action::Prefixes);
  EXPECT_TRUE(liste.tsv);
  EXPECT_FALSE(Lire({"--prefixes"}).tsv);
  EXPECT_EQ(Lire({"--prefixe", "/p q"}).prefixe, "/p q");
  EXPECT_EQ(Lire({"--prefixe=/p=q"}).prefixe, "/p=q");
  EXPECT_EQ(Lire({"--prefixe", "--aide"}).prefixe, "--aide");  // a value, whatever it looks like
  EXPECT_EQ(Lire({"--prefixe", "x", "--"}).prefixe, "x");
  EXPECT_EQ(Lire({"--apercu"}).action, Action::Apercu);
  EXPECT_EQ(Lire({"--ap", "--prefixe=/p"}).prefixe, "/p");
  const Commande tous = Lire({"--net", "--to"});
  EXPECT_EQ(tous.action, Action::Nettoyer);
  EXPECT_TRUE(tous.tous);
  EXPECT_EQ(Lire({"--prefixe", "/p", "--nettoyer"}).prefixe, "/p");
  EXPECT_EQ(Lire({"--apercu", "--apercu"}).action, Action::Apercu);
  // Help and version end the reading where they stand.
  EXPECT_EQ(Lire({"--aide", "--inconnue"}).action, Action::Aide);
  EXPECT_EQ(Lire({"--prefixes", "--version", "x"}).action, Action::Version);
}

TEST(ArgumentsTest, WrongCommandLinesSayWhatIsWrong) {
  EXPECT_EQ(Erreur({"--inconnue"}), "option non reconnue « --inconnue »");
  EXPECT_EQ(Erreur({"-x"}), "option invalide -- « x »");
  EXPECT_EQ(Erreur({"-hx"}), "(acceptée)");  // -h first ends the reading
  EXPECT_EQ(Erreur({"-xh"}), "option invalide -- « x »");
  EXPECT_EQ(Erreur({"--pre"}), "option « --pre » ambiguë ; possibilités : « --prefixes » « --prefixe »");
  EXPECT_EQ(Erreur({"--prefixe"}), "l'option « --prefixe » demande un dossier");
  EXPECT_EQ(Erreur({"--prefixe="}), "l'option « --prefixe » demande un dossier");
  EXPECT_EQ(Erreur({"--tsv=oui", "--prefixes"}), "l'option « --tsv » ne prend pas de valeur");
  EXPECT_EQ(Erreur({"--tsv"}), "l'option « --tsv » ne va qu'avec « --prefixes »");
  EXPECT_EQ(Erreur({"--prefixes", "--prefixe", "/p"}),
            "les options « --prefixes » et « --prefixe » ne vont pas ensemble");
  EXPECT_EQ(Erreur({"--t"}), "option « --t » ambiguë ; possibilités : « --tsv » « --tous »");
  EXPECT_EQ(Erreur({"--a"}), "option « --a » ambiguë ; possibilités : « --aide » « --apercu »");
  EXPECT_EQ(Erreur({"--tous"}), "l'option « --tous » ne va qu'avec « --nettoyer »");
  EXPECT_EQ(Erreur({"--apercu", "--tous"}), "l'option « --tous » ne va qu'avec « --nettoyer »");
  EXPECT_EQ(Erreur({"--nettoyer", "--tous", "--prefixe", "/p"}),
            "les options « --prefixe » et « --tous » ne vont pas ensemble");
  EXPECT_EQ(Erreur({"--apercu", "--nettoyer"}),
            "les options « --apercu » et « --nettoyer » ne vont pas ensemble");
  EXPECT_EQ(Erreur({"--nettoyer", "--prefixes"}),
            "les options « --nettoyer » et « --prefixes » ne vont pas ensemble");
  EXPECT_EQ(Erreur({"--apercu", "--tsv"}), "l'option « --tsv » ne va qu'avec « --prefixes »");
  EXPECT_EQ(Erreur({"--nettoyer=oui"}), "l'option « --nettoyer » ne prend pas de valeur");
  EXPECT_EQ(Erreur({"dossier"}), "argument en trop « dossier »");
  EXPECT_EQ(Erreur({"-"}), "argument en trop « - »");
  EXPECT_EQ(Erreur({"--", "--aide"}), "argument en trop « --aide »");
  EXPECT_EQ(Erreur({"--="}), "option non reconnue « -- »");
}

}  // namespace

// The window that chooses a prefix is one more action: alone, and on no given prefix.
TEST(ArgumentsTest, ChoisirExcludesTheOtherActionsAndAPrefix) {
  EXPECT_EQ(Lire({"--choisir"}).action, Action::Choisir);
  EXPECT_EQ(Lire({"--ch"}).action, Action::Choisir);
  EXPECT_EQ(Erreur({"--choisir", "--prefixe", "/p"}),
            "les options « --choisir » et « --prefixe » ne vont pas ensemble");
  EXPECT_EQ(Erreur({"--apercu", "--choisir"}),
            "les options « --apercu » et « --choisir » ne vont pas ensemble");
  EXPECT_EQ(Erreur({"--choisir", "--prefixes"}),
            "les options « --choisir » et « --prefixes » ne vont pas ensemble");
  EXPECT_EQ(Erreur({"--choisir", "--tsv"}), "l'option « --tsv » ne va qu'avec « --prefixes »");
  EXPECT_EQ(Erreur({"--choisir", "--tous"}), "l'option « --tous » ne va qu'avec « --nettoyer »");
  EXPECT_EQ(Erreur({"--choisir=x"}), "l'option « --choisir » ne prend pas de valeur");
}
