#pragma once
// What a cleaning run does to what it finds, behind one interface: the run decides what goes,
// the executant makes it go. The run's only changes to files and to the registry pass here.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Folder.h"
#include "platform/Registry.h"

class IExecutant {
 public:
  virtual ~IExecutant() = default;
  // The file `nom` of `dossier` goes, its read-only, hidden and system attributes cleared
  // first; throws os::SystemError.
  virtual void SupprimerFichier(const os::Folder& dossier, std::string_view nom) = 0;
  // The empty sub-folder `nom` of `dossier` goes; throws os::SystemError.
  virtual void SupprimerDossier(const os::Folder& dossier, std::string_view nom) = 0;
  // The values `noms` of `cle` go (missing ones passed over); throws os::SystemError.
  virtual void SupprimerValeurs(os::RegistryKey& cle, const std::vector<std::string>& noms) = 0;
};

// The executant of a real run: acts at once, through the folder or the key it is given.
class TExecutant : public IExecutant {
 public:
  void SupprimerFichier(const os::Folder& dossier, std::string_view nom) override;
  void SupprimerDossier(const os::Folder& dossier, std::string_view nom) override;
  void SupprimerValeurs(os::RegistryKey& cle, const std::vector<std::string>& noms) override;
};

// The program's one real executant.
IExecutant& ExecutantReel();
