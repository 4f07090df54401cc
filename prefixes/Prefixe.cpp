#include "prefixes/Prefixe.h"

std::string_view NomOrigine(Origine origine) noexcept {
  switch (origine) {
    case Origine::Steam: return "steam";
    case Origine::Lutris: return "lutris";
    case Origine::Heroic: return "heroic";
    case Origine::Bottles: return "bottles";
    case Origine::Wine: break;
  }
  return "wine";
}
