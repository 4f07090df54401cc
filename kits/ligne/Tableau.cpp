#include "kits/ligne/Tableau.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <utility>

#include "kits/ligne/Affichable.h"
#include "prefixes/Octets.h"

namespace {

std::string Etat(const Prefixe& p) {
  if (p.utilisateur) return "occupé";
  return p.desinstalle ? "libre, jeu désinstallé" : "libre";
}

}  // namespace

std::string Tsv(std::string_view texte) {
  std::string e;
  auto hex = [&e](unsigned char c) {
    char t[8];
    std::snprintf(t, sizeof t, "\\x%02x", c);
    e += t;
  };
  for (std::size_t i = 0; i < texte.size();) {
    const auto c = static_cast<unsigned char>(texte[i]);
    switch (c) {
      case '\\': e += "\\\\"; ++i; continue;
      case '\t': e += "\\t"; ++i; continue;
      case '\n': e += "\\n"; ++i; continue;
      case '\r': e += "\\r"; ++i; continue;
      default: break;
    }
    const std::size_t n = LongueurCaractere(texte, i);
    const bool c1 = n == 2 && c == 0xC2 && static_cast<unsigned char>(texte[i + 1]) <= 0x9F;
    if (n == 0) {
      hex(c);  // a byte that begins no character
      ++i;
    } else if (c < 0x20 || c == 0x7F || c1) {
      for (std::size_t k = 0; k < n; ++k) hex(static_cast<unsigned char>(texte[i + k]));
      i += n;
    } else {
      e.append(texte, i, n);
      i += n;
    }
  }
  return e;
}

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
    std::string nom = Visible(p.nom);
    if (!p.appid.empty() && p.appid != p.nom) nom += " (" + p.appid + ")";
    lignes.push_back({nom, std::string(NomOrigine(p.origine)),
                      p.taille ? TailleLisible(*p.taille) : "?", Etat(p),
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
  std::string texte = "chemin\torigine\tappid\tnom\toctets\tetat\tprogramme\tpid\tdesinstalle\n";
  for (const Prefixe& p : prefixes) {
    texte += Tsv(p.chemin.string()) + '\t' + std::string(NomOrigine(p.origine)) + '\t' +
             Tsv(p.appid) + '\t' + Tsv(p.nom) + '\t' +
             (p.taille ? std::to_string(*p.taille) : std::string("inconnue")) + '\t' +
             (p.utilisateur ? "occupe" : "libre") + '\t' +
             (p.utilisateur ? Tsv(p.utilisateur->program) : std::string()) + '\t' +
             (p.utilisateur && p.utilisateur->pid > 0 ? std::to_string(p.utilisateur->pid) : "") +
             '\t' + (p.desinstalle ? "oui" : "non") + '\n';
  }
  return texte;
}

std::string DocumentJson(const std::vector<Prefixe>& prefixes) {
  nlohmann::json liste = nlohmann::json::array();
  for (const Prefixe& p : prefixes) {
    nlohmann::json o = {{"chemin", p.chemin.string()},
                        {"origine", std::string(NomOrigine(p.origine))},
                        {"appid", p.appid},
                        {"nom", p.nom},
                        {"octets", nullptr},
                        {"etat", p.utilisateur ? "occupe" : "libre"},
                        {"processus", nullptr},
                        {"desinstalle", p.desinstalle}};
    if (p.taille) o["octets"] = *p.taille;
    if (p.utilisateur) {
      o["processus"] = {{"programme", p.utilisateur->program}, {"pid", p.utilisateur->pid}};
    }
    liste.push_back(std::move(o));
  }
  // A name that is no UTF-8 keeps its characters that are, the others replaced.
  return liste.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}
