#include "kits/ligne/Affichable.h"

#include <algorithm>

namespace {

bool Suite(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string Visible(std::string_view texte) {
  std::string v(texte);
  for (char& c : v) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return v;
}

std::size_t Largeur(std::string_view texte) {
  return static_cast<std::size_t>(std::count_if(texte.begin(), texte.end(), [](char c) { return !Suite(c); }));
}

std::string_view Coupe(std::string_view texte, std::size_t largeur) {
  std::size_t vus = 0;
  for (std::size_t i = 0; i < texte.size(); ++i) {
    if (Suite(texte[i])) continue;
    if (vus == largeur) return texte.substr(0, i);
    ++vus;
  }
  return texte;
}
