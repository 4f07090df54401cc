#pragma once
// What a run keeps whatever its plan takes: the files and folders the user keeps for good,
// found through the drive and held by identity, so that the case or spelling of the path that
// named them, or of the path a pass reaches them by, does not matter. Everything below a kept
// folder is kept. A path that leads nowhere keeps nothing.
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Drive.h"
#include "platform/FileId.h"

class Gardes {
 public:
  Gardes() = default;
  // `chemins`: Windows paths of `lecteur`'s drive C ("C:\users\moi\notes.txt"), files or
  // folders, matched as Windows matches them (without regard to case; every file of that name
  // when the folder holds several that differ only in case). Links and mount points are never
  // resolved: a path through one keeps nothing.
  Gardes(const os::Drive& lecteur, const std::vector<std::string>& chemins);

  bool Vide() const noexcept { return dossiers_.empty() && fichiers_.empty(); }
  // The folder `id` is itself a kept folder.
  bool Dossier(const os::FileId& id) const { return dossiers_.contains(id); }
  // The file `nom` of the folder `dossier` is itself a kept file.
  bool Fichier(const os::FileId& dossier, std::string_view nom) const;
  // The folder at the Windows path `chemin` is a kept folder or lies below one.
  bool DansUnDossierGarde(const os::Drive& lecteur, std::string_view chemin) const;

 private:
  std::set<os::FileId> dossiers_;
  std::map<os::FileId, std::set<std::string, std::less<>>> fichiers_;
};
