#include "cleaning/DossiersVides.h"

#include <string>
#include <vector>

#include "platform/Attributes.h"
#include "platform/DirectorySearch.h"
#include "platform/FileSystem.h"
#include "platform/SystemError.h"

namespace {

// Sub-folders (not links) of `dossier`, read in one go so that removing them later does not
// disturb an open search.
std::vector<std::string> SousDossiers(const std::string& dossier) {
  std::vector<std::string> noms;
  constexpr std::uint32_t kMasque = os::attr::Directory | os::attr::Hidden | os::attr::System;
  for (os::DirectorySearch recherche(dossier + "\\*.*", kMasque); recherche.isOpen();
       recherche.next()) {
    const std::string& nom = recherche.name();
    if (nom == "." || nom == "..") continue;
    if (!recherche.isDirectory() || recherche.isReparsePoint()) continue;
    noms.push_back(dossier + "\\" + nom);
  }
  return noms;
}

int Vider(const std::string& dossier) {
  int supprimes = 0;
  for (const std::string& sous : SousDossiers(dossier)) {
    supprimes += Vider(sous);
    try {
      os::removeDirectory(sous);
      ++supprimes;
    } catch (const os::SystemError&) {
      // Not empty, or refused: it stays.
    }
  }
  return supprimes;
}

}  // namespace

int SupprimerDossiersVides(std::string_view dossier) {
  std::string racine(dossier);
  if (!racine.empty() && racine.back() == '\\') racine.pop_back();
  if (racine.empty()) return 0;
  return Vider(racine);
}
