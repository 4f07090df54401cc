#include "cleaning/ExecutantApercu.h"

#include <optional>
#include <unordered_map>

#include "platform/SystemError.h"
#include "platform/NameCase.h"

namespace {

std::string Chemin(const os::Folder& dossier, std::string_view nom) {
  std::string chemin = dossier.path();
  chemin += '\\';
  chemin += nom;
  return chemin;
}

[[noreturn]] void Refuser(std::uint32_t code, std::string_view action, const std::string& chemin) {
  throw os::SystemError(code, std::string(action) + ' ' + chemin + " : " + os::errorText(code));
}

}  // namespace

bool TExecutantApercu::DejaSupprime(const os::Folder& dossier, std::string_view nom) {
  return !partis_.empty() && partis_.contains(Parti(dossier.id(), std::string(nom)));
}

void TExecutantApercu::SupprimerFichier(const Entree& fichier) {
  const bool supprime = fichier.dossier.mayRemove(fichier.nom);
  const os::FileId dossier = fichier.dossier.id();
  apercu_.fichiers.push_back({Chemin(fichier.dossier, fichier.nom), fichier.taille,
                              fichier.emplacement, supprime, std::string(fichier.raison), {},
                              dossier, fichier.dossier.path().size()});
  if (!supprime) {
    Refuser(os::error::AccessDenied, "Ne pourrait supprimer le fichier", apercu_.fichiers.back().chemin);
  }
  partis_.emplace(dossier, std::string(fichier.nom));
}

void TExecutantApercu::Epargner(const Entree& fichier) {
  apercu_.proteges.push_back({Chemin(fichier.dossier, fichier.nom), fichier.taille,
                              fichier.emplacement, false, std::string(fichier.raison), {},
                              fichier.dossier.id(), fichier.dossier.path().size()});
}

void TExecutantApercu::Garder(const Entree& fichier) {
  apercu_.gardes.push_back({Chemin(fichier.dossier, fichier.nom), fichier.taille,
                            fichier.emplacement, false, std::string(fichier.raison), {},
                            fichier.dossier.id(), fichier.dossier.path().size()});
}

// As the system removes a folder: only when it holds nothing (here: nothing the run leaves), only
// a true folder (never a link or a mount point), and only where this user may.
void TExecutantApercu::SupprimerDossier(const os::Folder& dossier, std::string_view nom) {
  constexpr std::string_view action = "Ne pourrait supprimer le dossier";
  std::optional<os::Folder> sous = dossier.openChild(nom);
  if (!sous) Refuser(os::error::DirectoryInvalid, action, Chemin(dossier, nom));
  const os::FileId id = sous->id();
  const std::size_t nombre = sous->count();
  bool vide = sous->unlisted() == 0;
  for (std::size_t i = 0; i < nombre && vide; ++i) {
    vide = partis_.contains(Parti(id, std::string(sous->name(i))));
  }
  if (!vide) Refuser(os::error::DirNotEmpty, action, Chemin(dossier, nom));
  if (!dossier.mayRemove(nom)) Refuser(os::error::AccessDenied, action, Chemin(dossier, nom));
  partis_.emplace(dossier.id(), std::string(nom));
  apercu_.dossiers.push_back(Chemin(dossier, nom));
}

std::optional<os::RegistryKey> TExecutantApercu::OuvrirCle(std::string_view chemin) {
  return lecteur_.openKey(chemin);
}

// Each under the name the key gives it ("URL2" for "url2").
void TExecutantApercu::SupprimerValeurs(os::RegistryKey& cle, const std::vector<std::string>& noms) {
  std::unordered_map<std::string, std::string> presents;
  for (std::string& nom : cle.valueNames()) presents.emplace(os::foldedName(nom), std::move(nom));
  const std::string chemin = "HKEY_CURRENT_USER\\" + cle.path();
  for (const std::string& nom : noms) {
    // A name deleted once is gone: asked twice, it is recorded once.
    const auto present = presents.find(os::foldedName(nom));
    if (present == presents.end()) continue;
    apercu_.valeurs.push_back({chemin, std::move(present->second)});
    presents.erase(present);
  }
}
