#include "cleaning/Executant.h"

void TExecutant::Commencer() {
  veille_.start();
}

std::optional<std::string> TExecutant::Reverifier() {
  const std::optional<os::PrefixUser> u = veille_.recheck();
  if (!u) return std::nullopt;
  const std::string processus =
      u->pid > 0 ? "processus " + std::to_string(u->pid) : "processus inconnu";
  return "Nettoyage arrêté : " + u->program + " (" + processus +
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
