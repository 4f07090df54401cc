#include "cleaning/Executant.h"

#include "platform/PrefixUse.h"

void TExecutant::Commencer() {
  os::checkPrefixFree();
}

bool TExecutant::DejaSupprime(const os::Folder&, std::string_view) {
  return false;
}

void TExecutant::SupprimerFichier(const os::Folder& dossier, std::string_view nom) {
  dossier.deleteFile(nom);
}

void TExecutant::SupprimerDossier(const os::Folder& dossier, std::string_view nom) {
  dossier.removeFolder(nom);
}

std::optional<os::RegistryKey> TExecutant::OuvrirCle(std::string_view chemin) {
  return os::RegistryKey::create(chemin);
}

void TExecutant::SupprimerValeurs(os::RegistryKey& cle, const std::vector<std::string>& noms) {
  cle.deleteValues(noms);
}

IExecutant& ExecutantReel() {
  static TExecutant executant;
  return executant;
}
