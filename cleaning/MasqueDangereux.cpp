#include "cleaning/MasqueDangereux.h"

bool MasqueDangereux(std::string_view masque) noexcept {
  if (masque.find_first_of("\\/:") != std::string_view::npos) return true;
  return masque.find_first_not_of("*?.") == std::string_view::npos;
}
