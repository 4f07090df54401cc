#include "cleaning/LibellesDossiers.h"

#include <utility>

const std::array<std::string, 5> LibellesDossiers = {
    "Scan du cache d'internet explorer",  "Scan de l'historique des adresses",
    "Recherche des documents récents",    "Recherche des cookies",
    "Scan du répertoire temporaire TEMP",
};

std::string_view NomDePasse(std::string_view cle) noexcept {
  static constexpr std::pair<std::string_view, std::string_view> kNoms[] = {
      {"Cache", "cache d'I.E."},       {"History", "historique des URL"},
      {"Recent", "documents récents"}, {"Cookies", "cookies"},
      {"Temp", "répertoire TEMP"},     {"Sbdr", "sauvegardes du registre"}};
  for (const auto& [k, nom] : kNoms) {
    if (k == cle) return nom;
  }
  return {};
}
