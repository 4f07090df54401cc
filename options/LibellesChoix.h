#pragma once
// The seventeen choices as the options window shows them: each with the key of its line in the
// options file and the label its skin prints beside its box.
#include <array>
#include <string_view>

struct LibelleChoix {
  std::string_view cle;      // "Cache", "History"... "xt1".."xt9"
  std::string_view libelle;  // "Vider le cache d'I.E."... "*.tmp".."*.$*"
};

// In the order of the boxes 1 to 17 (ChoixOptions).
extern const std::array<LibelleChoix, 17> LibellesChoix;
