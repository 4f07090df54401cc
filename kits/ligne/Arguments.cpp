#include "kits/ligne/Arguments.h"

#include <utility>

namespace {

enum class Choix {
  Aide, Version, Prefixes, Tsv, Json, Prefixe, Apercu, Nettoyer, Tous, Choisir, Cases, Masques,
  Sauvegardes, Garder, NePlusGarder
};

// Whether an option takes a value: never, always (in the next argument when not given with
// "="), or only when given with "=".
enum class Valeur { Aucune, Requise, Facultative };

struct Option {
  std::string_view longue;  // without "--"
  char courte;              // 0: none
  Valeur valeur;
  Choix choix;
};

// Every option; a new one is a new line here and a case in Appliquer.
constexpr Option kOptions[] = {
    {"aide", 'h', Valeur::Aucune, Choix::Aide},
    {"help", 0, Valeur::Aucune, Choix::Aide},
    {"version", 0, Valeur::Aucune, Choix::Version},
    {"prefixes", 0, Valeur::Aucune, Choix::Prefixes},
    {"tsv", 0, Valeur::Aucune, Choix::Tsv},
    {"json", 0, Valeur::Aucune, Choix::Json},
    {"prefixe", 0, Valeur::Requise, Choix::Prefixe},
    {"prefix", 0, Valeur::Requise, Choix::Prefixe},  // as Wine users write it
    {"apercu", 0, Valeur::Aucune, Choix::Apercu},
    {"nettoyer", 0, Valeur::Aucune, Choix::Nettoyer},
    {"tous", 0, Valeur::Aucune, Choix::Tous},
    {"choisir", 0, Valeur::Aucune, Choix::Choisir},
    {"choix", 0, Valeur::Facultative, Choix::Cases},
    {"masques", 0, Valeur::Requise, Choix::Masques},
    {"sauvegardes", 0, Valeur::Requise, Choix::Sauvegardes},
    {"garder", 0, Valeur::Facultative, Choix::Garder},
    {"ne-plus-garder", 0, Valeur::Requise, Choix::NePlusGarder},
};

// The long name of an action that excludes the others.
std::string_view NomAction(Commande::Action action) {
  switch (action) {
    case Commande::Action::Prefixes: return "--prefixes";
    case Commande::Action::Apercu: return "--apercu";
    case Commande::Action::Nettoyer: return "--nettoyer";
    case Commande::Action::Choisir: return "--choisir";
    case Commande::Action::Choix: return "--choix";
    case Commande::Action::Garder: return "--garder";
    case Commande::Action::NePlusGarder: return "--ne-plus-garder";
    default: return "";
  }
}

std::string Guillemets(std::string_view texte) {
  return "« " + std::string(texte) + " »";
}

std::string Long(std::string_view nom) {
  // Appended piece by piece: GCC 12 sees a false overlap (-Wrestrict) in "--" + string.
  std::string option = "--";
  option += nom;
  return option;
}

// The option `nom` names: itself, or the only one it begins.
const Option& OptionLongue(std::string_view nom) {
  const Option* trouvee = nullptr;
  std::string possibles;
  int nombre = 0;
  for (const Option& o : kOptions) {
    if (nom.empty()) break;
    if (o.longue == nom) return o;
  }
  for (const Option& o : kOptions) {
    if (nom.empty() || !o.longue.starts_with(nom)) continue;
    possibles += ' ';
    possibles += Guillemets(Long(o.longue));
    // Two names of one option are no ambiguity.
    if (trouvee == nullptr || trouvee->choix != o.choix) ++nombre;
    trouvee = &o;
  }
  if (nombre == 0) throw ErreurArguments("option non reconnue " + Guillemets(Long(nom)));
  if (nombre > 1) {
    throw ErreurArguments("option " + Guillemets(Long(nom)) + " ambiguë ; possibilités :" +
                          possibles);
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

void Cible(std::string valeur, std::string_view d_ou, Commande& c) {
  if (valeur.empty()) {
    throw ErreurArguments("l'option " + Guillemets("--prefixe") + " demande un dossier");
  }
  if (c.cible) throw ErreurArguments("un seul préfixe à la fois : " + Guillemets(d_ou) + " en trop");
  c.cible = std::move(valeur);
}

// Returns true when the reading ends here.
bool Appliquer(const Option& o, std::optional<std::string> valeur, Commande& c) {
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
    case Choix::Cases:
      ChoisirAction(Commande::Action::Choix, c);
      if (valeur) c.cases = std::move(*valeur);
      return false;
    case Choix::Masques:
      c.masques = std::move(*valeur);
      return false;
    case Choix::Sauvegardes:
      if (*valeur != "oui" && *valeur != "non") {
        throw ErreurArguments("l'option " + Guillemets("--sauvegardes") +
                              " demande « oui » ou « non »");
      }
      c.sauvegardes = *valeur == "oui";
      return false;
    case Choix::Garder:
      ChoisirAction(Commande::Action::Garder, c);
      if (valeur) c.garde = std::move(*valeur);
      return false;
    case Choix::NePlusGarder:
      ChoisirAction(Commande::Action::NePlusGarder, c);
      c.garde = std::move(*valeur);
      return false;
    case Choix::Tsv:
      c.tsv = true;
      return false;
    case Choix::Json:
      c.json = true;
      return false;
    case Choix::Prefixe:
      Cible(std::move(*valeur), Long(o.longue), c);
      return false;
  }
  return false;
}

// What the options read make of each other.
void Verifier(const Commande& c) {
  using Action = Commande::Action;
  const bool machine = c.action == Action::Prefixes || c.action == Action::Apercu;
  if (c.tsv && !machine) {
    throw ErreurArguments("l'option « --tsv » ne va qu'avec « --prefixes » ou « --apercu »");
  }
  if (c.json && !machine) {
    throw ErreurArguments("l'option « --json » ne va qu'avec « --prefixes » ou « --apercu »");
  }
  if (c.tsv && c.json) throw ErreurArguments(Ensemble("--tsv", "--json"));
  if (c.tous && c.action != Action::Nettoyer && c.action != Action::Apercu) {
    throw ErreurArguments("l'option « --tous » ne va qu'avec « --nettoyer » ou « --apercu »");
  }
  if (c.cible && c.tous) throw ErreurArguments(Ensemble("--prefixe", "--tous"));
  if (c.cible && (c.action == Action::Prefixes || c.action == Action::Choisir ||
                  c.action == Action::Choix || c.action == Action::Garder ||
                  c.action == Action::NePlusGarder)) {
    throw ErreurArguments("un préfixe ne se donne pas avec " + Guillemets(NomAction(c.action)));
  }
  if ((c.masques || c.sauvegardes) && c.action != Action::Choix) {
    throw ErreurArguments("les options « --masques » et « --sauvegardes » ne vont qu'avec "
                          "« --choix »");
  }
}

}  // namespace

Commande LireArguments(const std::vector<std::string_view>& arguments) {
  Commande c;
  bool options = true;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view a = arguments[i];
    if (options && a == "--") {
      options = false;
      continue;
    }
    if (!options || a.size() < 2 || a[0] != '-') {
      Cible(std::string(a), a, c);
      continue;
    }
    if (a.starts_with("--")) {
      const std::size_t egal = a.find('=');
      const Option& o = OptionLongue(a.substr(2, egal == std::string_view::npos ? a.npos : egal - 2));
      const std::string nom = Guillemets(Long(o.longue));
      std::optional<std::string> valeur;
      if (egal != std::string_view::npos) {
        if (o.valeur == Valeur::Aucune) {
          throw ErreurArguments("l'option " + nom + " ne prend pas de valeur");
        }
        valeur = std::string(a.substr(egal + 1));
      } else if (o.valeur == Valeur::Requise) {
        if (i + 1 >= arguments.size()) throw ErreurArguments("l'option " + nom + " demande une valeur");
        valeur = std::string(arguments[++i]);
      }
      if (Appliquer(o, std::move(valeur), c)) return c;
      continue;
    }
    for (std::size_t k = 1; k < a.size(); ++k) {
      const Option* o = nullptr;
      for (const Option& candidate : kOptions) {
        if (candidate.courte != 0 && candidate.courte == a[k]) o = &candidate;
      }
      if (o == nullptr) throw ErreurArguments("option invalide -- " + Guillemets(a.substr(k, 1)));
      if (Appliquer(*o, std::nullopt, c)) return c;
    }
  }
  // "--garder CHEMIN": the argument that is no option is what to keep.
  if (c.action == Commande::Action::Garder && c.cible && !c.garde) {
    c.garde = std::exchange(c.cible, {});
  }
  Verifier(c);
  return c;
}
