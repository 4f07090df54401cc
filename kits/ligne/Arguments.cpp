#include "kits/ligne/Arguments.h"

namespace {

enum class Choix { Aide, Version, Prefixes, Tsv, Prefixe, Choisir };

struct Option {
  std::string_view longue;  // without "--"
  char courte;              // 0: none
  bool valeur;              // takes a value
  Choix choix;
};

// Every option; a new one is a new line here and a case in Appliquer.
constexpr Option kOptions[] = {
    {"aide", 'h', false, Choix::Aide},
    {"help", 0, false, Choix::Aide},
    {"version", 0, false, Choix::Version},
    {"prefixes", 0, false, Choix::Prefixes},
    {"tsv", 0, false, Choix::Tsv},
    {"prefixe", 0, true, Choix::Prefixe},
    {"choisir", 0, false, Choix::Choisir},
};

std::string Guillemets(std::string_view texte) {
  return "« " + std::string(texte) + " »";
}

// The option `nom` names: itself, or the only one it begins.
const Option& OptionLongue(std::string_view nom) {
  const Option* trouvee = nullptr;
  std::string possibles;
  int nombre = 0;
  for (const Option& o : kOptions) {
    if (nom.empty()) break;
    if (o.longue == nom) return o;
    if (o.longue.starts_with(nom)) {
      possibles += " " + Guillemets("--" + std::string(o.longue));
      // Two names of one option are no ambiguity.
      if (trouvee == nullptr || trouvee->choix != o.choix) ++nombre;
      trouvee = &o;
    }
  }
  if (nombre == 0) throw ErreurArguments("option non reconnue " + Guillemets("--" + std::string(nom)));
  if (nombre > 1) {
    throw ErreurArguments("option " + Guillemets("--" + std::string(nom)) +
                          " ambiguë ; possibilités :" + possibles);
  }
  return *trouvee;
}

// Returns true when the reading ends here.
bool Appliquer(const Option& o, std::string valeur, Commande& c) {
  switch (o.choix) {
    case Choix::Aide:
      c.action = Commande::Action::Aide;
      return true;
    case Choix::Version:
      c.action = Commande::Action::Version;
      return true;
    case Choix::Prefixes:
      c.action = Commande::Action::Prefixes;
      return false;
    case Choix::Choisir:
      if (c.action == Commande::Action::Prefixes) {
        throw ErreurArguments("les options " + Guillemets("--prefixes") + " et " +
                              Guillemets("--choisir") + " ne vont pas ensemble");
      }
      c.action = Commande::Action::Choisir;
      return false;
    case Choix::Tsv:
      c.tsv = true;
      return false;
    case Choix::Prefixe:
      if (valeur.empty()) {
        throw ErreurArguments("l'option " + Guillemets("--prefixe") + " demande un dossier");
      }
      c.prefixe = std::move(valeur);
      return false;
  }
  return false;
}

}  // namespace

Commande LireArguments(const std::vector<std::string_view>& arguments) {
  Commande c;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view a = arguments[i];
    if (a == "--") {
      if (i + 1 < arguments.size()) {
        throw ErreurArguments("argument en trop " + Guillemets(arguments[i + 1]));
      }
      break;
    }
    if (a.starts_with("--")) {
      const std::size_t egal = a.find('=');
      const Option& o = OptionLongue(a.substr(2, egal == std::string_view::npos ? a.npos : egal - 2));
      const std::string nom = Guillemets("--" + std::string(o.longue));
      std::string valeur;
      if (egal != std::string_view::npos) {
        if (!o.valeur) throw ErreurArguments("l'option " + nom + " ne prend pas de valeur");
        valeur = a.substr(egal + 1);
      } else if (o.valeur) {
        if (i + 1 >= arguments.size()) throw ErreurArguments("l'option " + nom + " demande un dossier");
        valeur = arguments[++i];
      }
      if (Appliquer(o, std::move(valeur), c)) return c;
      continue;
    }
    if (a.size() < 2 || a[0] != '-') throw ErreurArguments("argument en trop " + Guillemets(a));
    for (std::size_t k = 1; k < a.size(); ++k) {
      const Option* o = nullptr;
      for (const Option& candidate : kOptions) {
        if (candidate.courte != 0 && candidate.courte == a[k]) o = &candidate;
      }
      if (o == nullptr) {
        throw ErreurArguments("option invalide -- " + Guillemets(a.substr(k, 1)));
      }
      if (Appliquer(*o, {}, c)) return c;
    }
  }
  if (c.tsv && c.action != Commande::Action::Prefixes) {
    throw ErreurArguments("l'option " + Guillemets("--tsv") + " ne va qu'avec " +
                          Guillemets("--prefixes"));
  }
  if (c.prefixe && c.action == Commande::Action::Choisir) {
    throw ErreurArguments("les options " + Guillemets("--choisir") + " et " +
                          Guillemets("--prefixe") + " ne vont pas ensemble");
  }
  if (c.prefixe && c.action == Commande::Action::Prefixes) {
    throw ErreurArguments("les options " + Guillemets("--prefixes") + " et " +
                          Guillemets("--prefixe") + " ne vont pas ensemble");
  }
  return c;
}
