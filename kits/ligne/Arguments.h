#pragma once
// The program's options, read the GNU way: long options, abbreviated while unambiguous, with
// "--option=valeur" or "--option valeur"; short options grouped; "--" ends them.
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct Commande {
  enum class Action { Fenetres, Aide, Version, Prefixes, Apercu, Nettoyer, Choisir };
  Action action = Action::Fenetres;
  bool tsv = false;                    // --tsv: the list as tab-separated lines
  bool tous = false;                   // --tous: --nettoyer in every prefix found
  std::optional<std::string> prefixe;  // --prefixe DOSSIER: the prefix worked on
};

// A wrong command line; the message is French and names the faulty argument.
class ErreurArguments : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What the arguments (without the program's name) ask. --aide and --version end the reading
// where they stand; --prefixes, --apercu, --nettoyer and --choisir exclude one another. Throws
// ErreurArguments.
Commande LireArguments(const std::vector<std::string_view>& arguments);
