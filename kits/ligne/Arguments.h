#pragma once
// The program's options, read the GNU way: long options, abbreviated while unambiguous (an exact
// name always wins), with "--option=valeur" or "--option valeur"; short options grouped; "--"
// ends them. One argument that is no option names the prefix worked on.
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct Commande {
  enum class Action {
    Fenetres, Aide, Version, Prefixes, Apercu, Nettoyer, Choisir, Choix, Garder, NePlusGarder
  };
  Action action = Action::Fenetres;
  bool tsv = false;                   // --tsv: tab-separated lines, a header first
  bool json = false;                  // --json: one JSON document
  bool tous = false;                  // --tous: every prefix found
  std::optional<std::string> cible;   // --prefixe CIBLE, or the argument that is no option
  // --choix[=LISTE]: the choices to keep (nothing: show them); --masques, --sauvegardes.
  std::optional<std::string> cases;
  std::optional<std::string> masques;
  std::optional<bool> sauvegardes;
  // --garder[=CHEMIN] or --garder CHEMIN (nothing: list them), --ne-plus-garder CHEMIN.
  std::optional<std::string> garde;
};

// A wrong command line; the message is French and names the faulty argument.
class ErreurArguments : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What the arguments (without the program's name) ask. --aide and --version end the reading
// where they stand; --prefixes, --apercu, --nettoyer, --choisir, --choix, --garder and
// --ne-plus-garder exclude one another.
// Throws ErreurArguments.
Commande LireArguments(const std::vector<std::string_view>& arguments);
