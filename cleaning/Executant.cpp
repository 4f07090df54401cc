#include "cleaning/Executant.h"

void TExecutant::Commencer() {
  lecteur_.checkFree();
}

std::optional<std::string> TExecutant::Reverifier() {
  const std::optional<os::PrefixUser> u = lecteur_.user();
  if (!u) return std::nullopt;
  return "Nettoyage arrêté : " + u->program + " (processus " + std::to_string(u->pid) +
         ") s'est mis à utiliser le préfixe";
}

bool TExecutant::DejaSupprime(const os::Folder&, std::string_view) {
  return false;
}

void TExecutant::SupprimerFichier(const Entree& fichier) {
  fichier.dossier.deleteFile(fichier.nom);
}

void TExecutant::SupprimerDossier(const os::Folder& dossier, std::string_view nom) {
  dossier.removeFolder(nom);
}

std::optional<os::RegistryKey> TExecutant::OuvrirCle(std::string_view chemin) {
  return lecteur_.createKey(chemin);
}

void TExecutant::SupprimerValeurs(os::RegistryKey& cle, const std::vector<std::string>& noms) {
  cle.deleteValues(noms);
}
