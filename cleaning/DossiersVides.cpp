#include "cleaning/DossiersVides.h"

#include <optional>
#include <string>

#include "platform/Attributes.h"
#include "platform/Folder.h"
#include "platform/NameCase.h"
#include "platform/SystemError.h"

namespace {

struct Suppression {
  std::int32_t profondeurMax;
  IExecutant& executant;
  std::set<os::FileId>* entames;
  const std::function<bool()>& continuer;
  const Gardes& gardes;
  bool arret = false;

  // Removes the empty sub-folders of `dossier`, which lies `niveau` - 1 levels below the start,
  // deepest first; returns how many went.
  int SupprimerVidesSous(os::Folder& dossier, std::int32_t niveau) {
    if (niveau > profondeurMax) return 0;
    int supprimes = 0;
    const std::size_t nombre = dossier.count();
    for (std::size_t i = 0; i < nombre && !arret; ++i) {
      if (!dossier.isFolder(i)) continue;
      const std::string_view nom = dossier.name(i);
      std::optional<os::Folder> sous = dossier.openChild(nom);
      if (!sous) continue;  // a link or a mount point by now, or gone
      if (!gardes.Vide() && gardes.Dossier(sous->id())) continue;
      supprimes += SupprimerVidesSous(*sous, niveau + 1);
      const bool entame = entames == nullptr || entames->contains(sous->id());
      sous.reset();
      if (arret) break;
      if (entame && !DossierDuSysteme(dossier, i, niveau == 1)) {
        try {
          executant.SupprimerDossier(dossier, nom);
          ++supprimes;
          if (entames != nullptr) entames->insert(dossier.id());
        } catch (const os::SystemError&) {
          // Not empty, or refused: it stays.
        }
      }
      if (continuer && !continuer()) arret = true;
    }
    return supprimes;
  }
};

}  // namespace

bool DossierDuSysteme(const os::Folder& dossier, std::size_t i, bool racine) {
  return (racine && os::sameName(dossier.name(i), "Low")) ||
         (dossier.attributes(i) & os::attr::System) != 0;
}

int SupprimerDossiersVides(std::string_view dossier, std::int32_t profondeurMax,
                           IExecutant& executant, std::set<os::FileId>* entames,
                           const std::function<bool()>& continuer, const Gardes& gardes) {
  if (dossier.empty() || dossier == "\\") return 0;  // neither the current folder nor a root
  std::optional<os::Folder> racine = executant.Lecteur().openFolder(dossier);
  if (!racine) return 0;
  Suppression suppression{profondeurMax, executant, entames, continuer, gardes};
  return suppression.SupprimerVidesSous(*racine, 1);
}
