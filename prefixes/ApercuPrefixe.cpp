#include "prefixes/ApercuPrefixe.h"

#include <optional>
#include <system_error>

#include "options/FichierOptions.h"

namespace fs = std::filesystem;

namespace {

// `chemin` strictly below `racine`, both as written or both with their links resolved: the path
// from `racine` to it; nothing otherwise.
std::optional<fs::path> Sous(const fs::path& chemin, const fs::path& racine) {
  std::error_code ec;
  const std::pair<fs::path, fs::path> formes[] = {
      {chemin.lexically_normal(), racine.lexically_normal()},
      {fs::weakly_canonical(chemin, ec), fs::weakly_canonical(racine, ec)}};
  for (const auto& [c, r] : formes) {
    if (c.empty() || r.empty()) continue;
    const fs::path relatif = c.lexically_relative(r);
    if (!relatif.empty() && relatif != "." && *relatif.begin() != "..") return relatif;
  }
  return std::nullopt;
}

}  // namespace

std::vector<std::string> CheminsDansLeLecteur(const fs::path& prefixe,
                                              const std::vector<fs::path>& jeux) {
  std::vector<std::string> chemins;
  for (const fs::path& jeu : jeux) {
    const std::optional<fs::path> relatif = Sous(jeu, prefixe / "drive_c");
    if (!relatif) continue;
    std::string windows = "C:";
    for (const fs::path& nom : *relatif) {
      if (nom.empty() || nom == ".") continue;
      windows += '\\';
      windows += nom.string();
    }
    chemins.push_back(std::move(windows));
  }
  return chemins;
}

PrefixeOuvert OuvrirPrefixe(const fs::path& dossier, const std::vector<fs::path>& jeux) {
  PrefixeOuvert prefixe{os::Drive::existing(dossier), {}, CheminsDansLeLecteur(dossier, jeux)};
  prefixe.plan.OptionsValidees = OptionsEnregistrees(prefixe.lecteur);
  if (prefixe.plan.OptionsValidees) LireOptions(prefixe.lecteur, prefixe.plan);
  return prefixe;
}

Apercu ApercuPrefixe(const PrefixeOuvert& prefixe) {
  return ApercuMenage(prefixe.lecteur, prefixe.plan, prefixe.jeux);
}
