#include "prefixes/Octets.h"

#include <algorithm>
#include <array>
#include <cstdio>

std::string TailleLisible(std::uint64_t octets) {
  if (octets < 1000) return std::to_string(octets) + " o";
  static constexpr std::array<const char*, 6> kUnites{"ko", "Mo", "Go", "To", "Po", "Eo"};
  double valeur = static_cast<double>(octets) / 1000;
  std::size_t u = 0;
  while (valeur >= 999.95 && u + 1 < kUnites.size()) {
    valeur /= 1000;
    ++u;
  }
  char texte[32];
  std::snprintf(texte, sizeof texte, "%.1f %s", valeur, kUnites[u]);
  std::string s = texte;
  std::replace(s.begin(), s.end(), '.', ',');
  return s;
}
