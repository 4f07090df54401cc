#include "kits/ligne/ApercuPrefixe.h"

#include <system_error>

#include "kits/ligne/PlanPrefixe.h"
#include "platform/PrefixCheck.h"
#include "prefixes/Liste.h"
#include "prefixes/Maison.h"

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

Apercu ApercuPrefixe(const fs::path& dossier, const std::vector<fs::path>& jeux) {
  const TPlanMenage plan = OuvrirPrefixe(dossier);
  return ApercuMenage(plan, CheminsDansLeLecteur(dossier, jeux));
}

std::vector<fs::path> JeuxDuPrefixe(const fs::path& dossier) {
  const std::optional<os::FileId> id = os::winePrefixId(dossier);
  if (!id) return {};
  std::vector<fs::path> jeux;
  for (const Prefixe& p : TrouverPrefixes(Maison::DuSysteme()).prefixes) {
    if (p.id == *id) jeux.insert(jeux.end(), p.jeux.begin(), p.jeux.end());
  }
  return jeux;
}
