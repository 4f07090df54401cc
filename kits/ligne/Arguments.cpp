#include "kits/ligne/Arguments.h"

namespace {

enum class Choix { Aide, Version, Prefixes, Tsv, Prefixe, Apercu, Nettoyer, Tous, Choisir };

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
    {"apercu", 0, false, Choix::Apercu},
    {"nettoyer", 0, false, Choix::Nettoyer},
    {"tous", 0, false, Choix::Tous},
    {"choisir", 0, false, Choix::Choisir},
};

// The long name of an action that excludes the others.
std::string_view NomAction(Commande::Action action) {
  switch (action) {
    case Commande::Action::Prefixes: return "--prefixes";
    case Commande::Action::Apercu: return "--apercu";
    case Commande::Action::Nettoyer: return "--nettoyer";
    case Commande::Action::Choisir: return "--choisir";
    default: return "";
  }
}

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
      // Appended piece by piece: GCC 12 sees a false overlap (-Wrestrict) in "--" + string.
      std::string option = "--";
      option += o.longue;
      possibles += ' ';
      possibles += Guillemets(option);
      // Two names of one option are no ambiguity.
      if (trouvee == nullptr || trouvee->choix != o.choix) ++nombre;
      trouvee = &o;
    }
  }
  if (nombre == 0) {
    std::string option = "--";
    option += nom;
    throw ErreurArguments("option non reconnue " + Guillemets(option));
  }
  if (nombre > 1) {
    throw ErreurArguments("option " + Guillemets("--" + std::string(nom)) +
                          " ambiguë ; possibilités :" + possibles);
  }
  return *trouvee;
}

std::string Ensemble(std::string_view a, std::string_view b) {
  return "les options " + Guillemets(a) + " et " + Guillemets(b) + " ne vont pas ensemble";
}

// Sets the action `action`, which excludes any other one given before.
void ChoisirAction(Commande::Action action, Commande& c) {
  if (c.action != Commande::Action::Fenetres && c.action != action) {
    throw ErreurArguments(Ensemble(NomAction(c.action), NomAction(action)));
  }
  c.action = action;
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
      ChoisirAction(Commande::Action::Prefixes, c);
      return false;
    case Choix::Apercu:
      ChoisirAction(Commande::Action::Apercu, c);
      return false;
    case Choix::Nettoyer:
      ChoisirAction(Commande::Action::Nettoyer, c);
      return false;
    case Choix::Tous:
      c.tous = true;
      return false;
    case Choix::Choisir:
      ChoisirAction(Commande::Action::Choisir, c);
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
  if (c.tous && c.action != Commande::Action::Nettoyer) {
    throw ErreurArguments("l'option " + Guillemets("--tous") + " ne va qu'avec " +
                          Guillemets("--nettoyer"));
  }
  if (c.prefixe && c.action == Commande::Action::Prefixes) {
    throw ErreurArguments(Ensemble("--prefixes", "--prefixe"));
  }
  if (c.prefixe && c.tous) throw ErreurArguments(Ensemble("--prefixe", "--tous"));
  if (c.prefixe && c.action == Commande::Action::Choisir) {
    throw ErreurArguments(Ensemble("--choisir", "--prefixe"));
  }
  return c;
}
