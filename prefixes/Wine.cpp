#include "prefixes/Wine.h"

#include "prefixes/Lecture.h"

namespace fs = std::filesystem;

void CandidatsWine(const Maison& maison, Collecte& collecte) {
  if (!maison.winePrefix.empty()) {
    const fs::path p = maison.winePrefix.lexically_normal();
    collecte.Ajouter(p, Origine::Wine,
                     (p.has_filename() ? p : p.parent_path()).filename().string());
  }
  collecte.Ajouter(maison.dossier / ".wine", Origine::Wine, ".wine");
  for (const fs::path& dossier : maison.SousDonnees("wineprefixes")) {
    for (const std::string& nom : Enfants(dossier)) {
      collecte.Ajouter(dossier / nom, Origine::Wine, nom);
    }
  }
}
