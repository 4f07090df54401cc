#pragma once
// Steam's text format of key-values: "clé" "valeur" pairs and "clé" { ... } blocks, with "//"
// comments; quotes are optional around a word, keys repeat, their case varies.
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct NoeudVdf {
  std::string cle;
  std::string valeur;             // a value's text; empty for a block
  std::vector<NoeudVdf> enfants;  // a block's entries, in the file's order
  bool bloc = false;

  // The first entry named `nom`, ignoring ASCII case; nullptr when none.
  const NoeudVdf* Enfant(std::string_view nom) const;
  // The text of the first value named `nom` (ASCII case ignored); empty when none.
  std::string_view Valeur(std::string_view nom) const;
};

class ErreurVdf : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Blocks nest at most this deep; Steam's own files use four or five levels.
inline constexpr std::size_t kProfondeurVdf = 64;

// The entries of `texte`, in a block. Throws ErreurVdf, a French message with the line, on a
// malformed text or one nested deeper than kProfondeurVdf.
NoeudVdf LireVdf(std::string_view texte);
