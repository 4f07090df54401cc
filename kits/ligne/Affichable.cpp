#include "kits/ligne/Affichable.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool Suite(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The code point of the valid UTF-8 character of `n` bytes at texte[i].
char32_t PointDeCode(std::string_view texte, std::size_t i, std::size_t n) {
  constexpr unsigned char kTete[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  char32_t c = static_cast<unsigned char>(texte[i]) & kTete[n];
  for (std::size_t k = 1; k < n; ++k) {
    c = (c << 6) | (static_cast<unsigned char>(texte[i + k]) & 0x3F);
  }
  return c;
}

// A character that changes the direction of the text around it: the embeddings and overrides
// (U+202A to U+202E), the isolates (U+2066 to U+2069) and the marks (U+200E, U+200F, U+061C). A
// name holding one would show on the terminal in another order than its own ("gpj.exe" as
// "exe.jpg"), and change how the rest of the line reads.
bool Directionnel(char32_t c) {
  return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E ||
         c == 0x200F || c == 0x061C;
}

}  // namespace

std::size_t LongueurCaractere(std::string_view texte, std::size_t i) {
  const auto b = static_cast<unsigned char>(texte[i]);
  if (b < 0x80) return 1;
  std::size_t n = 0;
  // The range of the second byte: narrower after E0, ED, F0 and F4, which would otherwise
  // begin an overlong form, a surrogate or a code point past U+10FFFF.
  unsigned char bas = 0x80, haut = 0xBF;
  if (b >= 0xC2 && b <= 0xDF) {
    n = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    n = 3;
    if (b == 0xE0) bas = 0xA0;
    if (b == 0xED) haut = 0x9F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    n = 4;
    if (b == 0xF0) bas = 0x90;
    if (b == 0xF4) haut = 0x8F;
  } else {
    return 0;
  }
  if (i + n > texte.size()) return 0;
  const auto second = static_cast<unsigned char>(texte[i + 1]);
  if (second < bas || second > haut) return 0;
  for (std::size_t k = 2; k < n; ++k) {
    if (!Suite(texte[i + k])) return 0;
  }
  return n;
}

std::string Visible(std::string_view texte) {
  std::string v;
  v.reserve(texte.size());
  for (std::size_t i = 0; i < texte.size();) {
    const auto b = static_cast<unsigned char>(texte[i]);
    const std::size_t n = LongueurCaractere(texte, i);
    const bool c1 = n == 2 && b == 0xC2 && static_cast<unsigned char>(texte[i + 1]) <= 0x9F;
    if (n == 0 || c1 || b < 0x20 || b == 0x7F ||
        (n > 1 && Directionnel(PointDeCode(texte, i, n)))) {
      v += '?';
      i += n == 0 ? 1 : n;
      continue;
    }
    v.append(texte, i, n);
    i += n;
  }
  return v;
}

std::size_t Largeur(std::string_view texte) {
  return static_cast<std::size_t>(
      std::count_if(texte.begin(), texte.end(), [](char c) { return !Suite(c); }));
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

bool TerminalEvolue() {
  const char* term = std::getenv("TERM");
  return term != nullptr && *term != '\0' && std::string_view(term) != "dumb";
}
