// The command line read the GNU way, and its wrong forms refused with French messages.
#include <gtest/gtest.h>

#include "kits/ligne/Arguments.h"

namespace {

Commande Lire(std::initializer_list<std::string_view> a) {
  return LireArguments(a);
}

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
  for (auto a : {"-h", "--aide", "--help", "--ai", "--he"})
    EXPECT_EQ(Lire({a}).action, Action::Aide) << a;
  EXPECT_EQ(Lire({"--version"}).action, Action::Version);
  EXPECT_EQ(Lire({"--v"}).action, Action::Version);
  const Commande liste = Lire({"--prefixes", "--ts"});
  EXPECT_EQ(liste.action, Action::Prefixes);
  EXPECT_TRUE(liste.tsv);
  EXPECT_FALSE(Lire({"--prefixes"}).tsv);
  EXPECT_TRUE(Lire({"--prefixes", "--j"}).json);
  EXPECT_EQ(Lire({"--prefixe", "/p q"}).cible, "/p q");
  EXPECT_EQ(Lire({"--prefixe=/p=q"}).cible, "/p=q");
  EXPECT_EQ(Lire({"--prefixe", "--aide"}).cible, "--aide");  // a value, whatever it looks like
  EXPECT_EQ(Lire({"--prefixe", "x", "--"}).cible, "x");
  EXPECT_EQ(Lire({"--apercu"}).action, Action::Apercu);
  EXPECT_EQ(Lire({"--ap", "--prefixe=/p"}).cible, "/p");
  const Commande tous = Lire({"--net", "--to"});
  EXPECT_EQ(tous.action, Action::Nettoyer);
  EXPECT_TRUE(tous.tous);
  EXPECT_EQ(Lire({"--prefixe", "/p", "--nettoyer"}).cible, "/p");
  EXPECT_EQ(Lire({"--apercu", "--apercu"}).action, Action::Apercu);
  // Help and version end the reading where they stand.
  EXPECT_EQ(Lire({"--aide", "--inconnue"}).action, Action::Aide);
  EXPECT_EQ(Lire({"--prefixes", "--version", "x"}).action, Action::Version);
}

// The target: an argument that is no option, --prefixe or --prefix (as Wine users write it),
// whatever it names; "--" makes the next argument a target even when it looks like an option.
TEST(ArgumentsTest, TheTargetIsAnArgumentPrefixeOrPrefix) {
  for (const Commande& c :
       {Lire({"--apercu", "1245620"}), Lire({"1245620", "--apercu"}),
        Lire({"--apercu", "--prefix", "1245620"}), Lire({"--apercu", "--prefix=1245620"})}) {
    EXPECT_EQ(c.action, Action::Apercu);
    EXPECT_EQ(c.cible, "1245620");
  }
  EXPECT_EQ(Lire({"--nettoyer", "Stratégie Antique"}).cible, "Stratégie Antique");
  EXPECT_EQ(Lire({"/p"}).action, Action::Fenetres);
  EXPECT_EQ(Lire({"/p"}).cible, "/p");
  EXPECT_EQ(Lire({"-"}).cible, "-");
  EXPECT_EQ(Lire({"--nettoyer", "--", "--aide"}).cible, "--aide");
  EXPECT_FALSE(Lire({"--apercu"}).cible.has_value());
  const Commande json = Lire({"--apercu", "--tous", "--json"});
  EXPECT_TRUE(json.tous);
  EXPECT_TRUE(json.json);
  EXPECT_TRUE(Lire({"--apercu", "x", "--tsv"}).tsv);
}

TEST(ArgumentsTest, ChoixShowsOrTakesAListMasksAndSaves) {
  const Commande montrer = Lire({"--choix"});
  EXPECT_EQ(montrer.action, Action::Choix);
  EXPECT_FALSE(montrer.cases || montrer.masques || montrer.sauvegardes);
  // "--choix Cache" is no list: a value only comes with "=".
  EXPECT_EQ(Erreur({"--choix", "Cache"}), "un préfixe ne se donne pas avec « --choix »");
  const Commande tout = Lire({"--choix=Cache,*.bak", "--masques", "*.sav;*.dmp", "--sauv=oui"});
  EXPECT_EQ(tout.cases, "Cache,*.bak");
  EXPECT_EQ(tout.masques, "*.sav;*.dmp");
  EXPECT_EQ(tout.sauvegardes, true);
  EXPECT_EQ(Lire({"--choix", "--sauvegardes=non"}).sauvegardes, false);
  EXPECT_EQ(Lire({"--choix=", "--masques="}).cases, "");
  EXPECT_EQ(Lire({"--choix", "--masques="}).masques, "");
  EXPECT_EQ(Erreur({"--choix", "--sauvegardes=peut-être"}),
            "l'option « --sauvegardes » demande « oui » ou « non »");
  EXPECT_EQ(Erreur({"--masques=*.sav"}),
            "les options « --masques » et « --sauvegardes » ne vont qu'avec « --choix »");
  EXPECT_EQ(Erreur({"--apercu", "--sauvegardes=oui"}),
            "les options « --masques » et « --sauvegardes » ne vont qu'avec « --choix »");
  EXPECT_EQ(Erreur({"--choix", "--apercu"}),
            "les options « --choix » et « --apercu » ne vont pas ensemble");
  EXPECT_EQ(Erreur({"--choix", "--tsv"}),
            "l'option « --tsv » ne va qu'avec « --prefixes » ou « --apercu »");
  // The keep list: --garder alone lists, with a path (an argument or after "=") keeps it.
  EXPECT_FALSE(Lire({"--garder"}).garde.has_value());
  EXPECT_EQ(Lire({"--garder", "C:\\x"}).garde, "C:\\x");
  EXPECT_EQ(Lire({"--gard=/p"}).garde, "/p");
  EXPECT_EQ(Lire({"--ne-plus", "/p"}).action, Action::NePlusGarder);
  EXPECT_EQ(Erreur({"--ne-plus-garder"}), "l'option « --ne-plus-garder » demande une valeur");
}

TEST(ArgumentsTest, WrongCommandLinesSayWhatIsWrong) {
  EXPECT_EQ(Erreur({"--inconnue"}), "option non reconnue « --inconnue »");
  EXPECT_EQ(Erreur({"-x"}), "option invalide -- « x »");
  EXPECT_EQ(Erreur({"-hx"}), "(acceptée)");  // -h first ends the reading
  EXPECT_EQ(Erreur({"-xh"}), "option invalide -- « x »");
  // --prefixe and --prefix are one option: no ambiguity between them, only with --prefixes.
  EXPECT_EQ(Erreur({"--pre"}),
            "option « --pre » ambiguë ; possibilités : « --prefixes » « --prefixe » « --prefix »");
  EXPECT_EQ(Erreur({"--prefixe"}), "l'option « --prefixe » demande une valeur");
  EXPECT_EQ(Erreur({"--prefix"}), "l'option « --prefix » demande une valeur");
  EXPECT_EQ(Erreur({"--prefixe="}), "l'option « --prefixe » demande un dossier");
  EXPECT_EQ(Erreur({"--tsv=oui", "--prefixes"}), "l'option « --tsv » ne prend pas de valeur");
  EXPECT_EQ(Erreur({"--tsv"}), "l'option « --tsv » ne va qu'avec « --prefixes » ou « --apercu »");
  EXPECT_EQ(Erreur({"--json", "--nettoyer"}),
            "l'option « --json » ne va qu'avec « --prefixes » ou « --apercu »");
  EXPECT_EQ(Erreur({"--apercu", "--tsv", "--json"}),
            "les options « --tsv » et « --json » ne vont pas ensemble");
  EXPECT_EQ(Erreur({"--prefixes", "--prefixe", "/p"}),
            "un préfixe ne se donne pas avec « --prefixes »");
  EXPECT_EQ(Erreur({"--prefixes", "/p"}), "un préfixe ne se donne pas avec « --prefixes »");
  EXPECT_EQ(Erreur({"--t"}), "option « --t » ambiguë ; possibilités : « --tsv » « --tous »");
  EXPECT_EQ(Erreur({"--a"}), "option « --a » ambiguë ; possibilités : « --aide » « --apercu »");
  EXPECT_EQ(Erreur({"--tous"}), "l'option « --tous » ne va qu'avec « --nettoyer » ou « --apercu »");
  EXPECT_EQ(Erreur({"--nettoyer", "--tous", "--prefixe", "/p"}),
            "les options « --prefixe » et « --tous » ne vont pas ensemble");
  EXPECT_EQ(Erreur({"--apercu", "--tous", "Jeu"}),
            "les options « --prefixe » et « --tous » ne vont pas ensemble");
  EXPECT_EQ(Erreur({"--apercu", "--nettoyer"}),
            "les options « --apercu » et « --nettoyer » ne vont pas ensemble");
  EXPECT_EQ(Erreur({"--nettoyer", "--prefixes"}),
            "les options « --nettoyer » et « --prefixes » ne vont pas ensemble");
  EXPECT_EQ(Erreur({"--nettoyer=oui"}), "l'option « --nettoyer » ne prend pas de valeur");
  // One target at a time, however it is given.
  EXPECT_EQ(Erreur({"a", "b"}), "un seul préfixe à la fois : « b » en trop");
  EXPECT_EQ(Erreur({"--prefixe", "a", "--prefix=b"}),
            "un seul préfixe à la fois : « --prefix » en trop");
  EXPECT_EQ(Erreur({"--", "a", "--aide"}), "un seul préfixe à la fois : « --aide » en trop");
  EXPECT_EQ(Erreur({"--="}), "option non reconnue « -- »");
}

// The window that chooses a prefix is one more action: alone, and on no given prefix.
TEST(ArgumentsTest, ChoisirExcludesTheOtherActionsAndAPrefix) {
  EXPECT_EQ(Lire({"--choisir"}).action, Action::Choisir);
  EXPECT_EQ(Lire({"--choisi"}).action, Action::Choisir);
  EXPECT_EQ(Erreur({"--ch"}), "option « --ch » ambiguë ; possibilités : « --choisir » « --choix »");
  EXPECT_EQ(Erreur({"--choisir", "--prefixe", "/p"}),
            "un préfixe ne se donne pas avec « --choisir »");
  EXPECT_EQ(Erreur({"--apercu", "--choisir"}),
            "les options « --apercu » et « --choisir » ne vont pas ensemble");
  EXPECT_EQ(Erreur({"--choisir", "--prefixes"}),
            "les options « --choisir » et « --prefixes » ne vont pas ensemble");
  EXPECT_EQ(Erreur({"--choisir", "--tsv"}),
            "l'option « --tsv » ne va qu'avec « --prefixes » ou « --apercu »");
  EXPECT_EQ(Erreur({"--choisir", "--tous"}),
            "l'option « --tous » ne va qu'avec « --nettoyer » ou « --apercu »");
  EXPECT_EQ(Erreur({"--choisir=x"}), "l'option « --choisir » ne prend pas de valeur");
}

}  // namespace
