#include "prefixes/Wine.h"

#include <vector>

#include "prefixes/Lecture.h"

namespace fs = std::filesystem;

void CandidatsWine(const Maison& maison, Collecte& collecte) {
  if (!maison.winePrefix.empty()) {
    const fs::path p = maison.winePrefix.lexically_normal();
    collecte.Ajouter(p, Origine::Wine,
                     (p.has_filename() ? p : p.parent_path()).filename().string());
  }
  collecte.Ajouter(maison.dossier / ".wine", Origine::Wine, ".wine");
  // Folders of prefixes: winetricks's, PortProton's, PlayOnLinux's.
  std::vector<fs::path> dossiers = maison.SousDonnees("wineprefixes");
  for (const fs::path& d : maison.SousDonnees("PortWINE/PortProton/data/prefixes")) {
    dossiers.push_back(d);
  }
  dossiers.push_back(maison.dossier / ".PlayOnLinux/wineprefix");
  for (const fs::path& dossier : dossiers) {
    for (const std::string& nom : Enfants(dossier)) {
      collecte.Ajouter(dossier / nom, Origine::Wine, nom);
    }
  }
}
