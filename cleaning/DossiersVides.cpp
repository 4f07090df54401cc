#include "cleaning/DossiersVides.h"

#include <string>
#include <vector>

#include "platform/Attributes.h"
#include "platform/DirectorySearch.h"
#include "platform/FileSystem.h"
#include "platform/SystemError.h"

namespace {

// Sub-folders (neither links nor mount points) of `dossier`, read in one go so that removing
// them later does not disturb an open search.
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

struct Parcours {
  std::size_t debutNoms;  // where the listed names begin in every path of the walk
  std::int32_t profondeurMax;
  const std::function<bool()>& continuer;
  bool arret = false;

  int Vider(const std::string& dossier, std::int32_t niveau) {
    int supprimes = 0;
    if (niveau > profondeurMax) return 0;
    for (const std::string& sous : SousDossiers(dossier)) {
      if (arret) break;
      supprimes += Vider(sous, niveau + 1);
      if (arret) break;
      try {
        os::removeDirectory(sous, debutNoms);
        ++supprimes;
      } catch (const os::SystemError&) {
        // Not empty, or refused: it stays.
      }
      if (continuer && !continuer()) arret = true;
    }
    return supprimes;
  }
};

}  // namespace

int SupprimerDossiersVides(std::string_view dossier, std::int32_t profondeurMax,
                           const std::function<bool()>& continuer) {
  std::string racine(dossier);
  if (!racine.empty() && racine.back() == '\\') racine.pop_back();
  if (racine.empty()) return 0;
  Parcours parcours{racine.size() + 1, profondeurMax, continuer};
  return parcours.Vider(racine, 1);
}
