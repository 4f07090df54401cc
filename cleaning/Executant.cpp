#include "cleaning/Executant.h"

void TExecutant::SupprimerFichier(const os::Folder& dossier, std::string_view nom) {
  dossier.deleteFile(nom);
}

void TExecutant::SupprimerDossier(const os::Folder& dossier, std::string_view nom) {
  dossier.removeFolder(nom);
}

void TExecutant::SupprimerValeurs(os::RegistryKey& cle, const std::vector<std::string>& noms) {
  cle.deleteValues(noms);
}

IExecutant& ExecutantReel() {
  static TExecutant executant;
  return executant;
}
