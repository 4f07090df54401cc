#include "kits/ligne/Tableau.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

#include "kits/ligne/Affichable.h"
#include "prefixes/Octets.h"

namespace {

std::string_view Etat(const Prefixe& p) { return p.utilisateur ? "occupé" : "libre"; }

std::string Echappe(std::string_view texte) {
  std::string e;
  for (const char c : texte) {
    switch (c) {
      case '\\': e += "\\\\"; break;
      case '\t': e += "\\t"; break;
      case '\n': e += "\\n"; break;
      case '\r': e += "\\r"; break;
      default: e += c;
    }
  }
  return e;
}

}  // namespace

void TrierParTaille(std::vector<Prefixe>& prefixes) {
  std::stable_sort(prefixes.begin(), prefixes.end(), [](const Prefixe& a, const Prefixe& b) {
    const auto rang = [](const Prefixe& p) { return std::pair(p.taille.has_value(), p.taille.value_or(0)); };
    if (rang(a) != rang(b)) return rang(a) > rang(b);
    if (a.nom != b.nom) return a.nom < b.nom;
    return a.chemin < b.chemin;
  });
}

std::string Tableau(const std::vector<Prefixe>& prefixes) {
  std::vector<std::array<std::string, 5>> lignes{{"NOM", "ORIGINE", "TAILLE", "ÉTAT", "CHEMIN"}};
  for (const Prefixe& p : prefixes) {
    lignes.push_back({Visible(p.nom), std::string(NomOrigine(p.origine)),
                      p.taille ? TailleLisible(*p.taille) : "?", std::string(Etat(p)),
                      Visible(p.chemin.string())});
  }
  std::array<std::size_t, 5> largeurs{};
  for (const auto& l : lignes) {
    for (std::size_t i = 0; i < l.size(); ++i) largeurs[i] = std::max(largeurs[i], Largeur(l[i]));
  }
  std::string texte;
  for (const auto& l : lignes) {
    for (std::size_t i = 0; i < l.size(); ++i) {
      const std::string marge(largeurs[i] - Largeur(l[i]), ' ');
      if (i == 2) texte += marge;  // sizes to the right
      texte += l[i];
      if (i + 1 == l.size()) break;
      if (i != 2) texte += marge;
      texte += "  ";
    }
    texte += '\n';
  }
  return texte;
}

std::string LignesTsv(const std::vector<Prefixe>& prefixes) {
  std::string texte;
  for (const Prefixe& p : prefixes) {
    texte += Echappe(p.chemin.string()) + '\t' + std::string(NomOrigine(p.origine)) + '\t' +
             Echappe(p.nom) + '\t' + std::to_string(p.taille.value_or(0)) + '\t' +
             std::string(Etat(p)) + '\n';
  }
  return texte;
}
