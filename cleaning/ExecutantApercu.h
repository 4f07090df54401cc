#pragma once
// The executant of a preview: changes nothing, records in an Apercu what a real run would change,
// and answers the run as those changes would: a file recorded as deleted is gone for later
// passes, a folder is empty once everything in it is recorded as gone, and a deletion that would
// fail fails.
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "cleaning/Apercu.h"
#include "cleaning/Executant.h"
#include "platform/FileId.h"

class TExecutantApercu : public IExecutant {
 public:
  // Files, values and folders of `lecteur` are appended to `apercu` in the order the run asks;
  // both must outlive the executant.
  TExecutantApercu(const os::Drive& lecteur, Apercu& apercu) : lecteur_(lecteur), apercu_(apercu) {}

  const os::Drive& Lecteur() const override { return lecteur_; }
  // Nothing to refuse: nothing changes.
  void Commencer() override {}
  bool DejaSupprime(const os::Folder& dossier, std::string_view nom) override;
  // Records the file; throws os::SystemError, after recording it as not deleted, when the
  // deletion would fail (os::Folder::mayRemove).
  void SupprimerFichier(const Entree& fichier) override;
  // Records the folder when all it holds is recorded as gone and it may be removed; otherwise
  // throws os::SystemError (DirNotEmpty, DirectoryInvalid, AccessDenied) as the removal would.
  void SupprimerDossier(const os::Folder& dossier, std::string_view nom) override;
  // Records the protected file among those the run leaves.
  void Epargner(const Entree& fichier) override;
  // Records the kept file among those the run leaves.
  void Garder(const Entree& fichier) override;
  // Opens the key, never creates it: nothing when it is missing.
  std::optional<os::RegistryKey> OuvrirCle(std::string_view chemin) override;
  // Records the values of `noms` that the key holds, under their own names.
  void SupprimerValeurs(os::RegistryKey& cle, const std::vector<std::string>& noms) override;

 private:
  // An entry recorded as gone: its folder's identity and its exact name there.
  using Parti = std::pair<os::FileId, std::string>;

  const os::Drive& lecteur_;
  Apercu& apercu_;
  std::set<Parti> partis_;
};
