#pragma once
// The work on one Wine or Proton prefix, with no toolkit: the prefix opened as it stands, the
// plan its validated options give, and the preview of a run there.
#include <filesystem>
#include <string>
#include <vector>

#include "cleaning/Apercu.h"
#include "cleaning/PlanMenage.h"
#include "platform/Drive.h"

// A prefix ready for a run.
struct PrefixeOuvert {
  os::Drive lecteur;
  // The plan of its validated options; OptionsValidees tells whether it has any.
  TPlanMenage plan;
  // The folders its launchers install its games into, as Windows paths of its drive.
  std::vector<std::string> jeux;
};

// The Windows paths ("C:\Jeux\Un jeu") of those of `jeux` (host paths) that lie in the drive C
// of the prefix `prefixe`, in the same order; the others are left out.
std::vector<std::string> CheminsDansLeLecteur(const std::filesystem::path& prefixe,
                                              const std::vector<std::filesystem::path>& jeux);

// The prefix `dossier` as it stands (os::Drive::existing: nothing is created there), with the
// plan of its "options.ini" and the game folders `jeux` (host paths, as Prefixe::jeux). Throws
// os::SystemError (French) when `dossier` is no usable prefix.
PrefixeOuvert OuvrirPrefixe(const std::filesystem::path& dossier,
                            const std::vector<std::filesystem::path>& jeux = {});

// The preview of a run with the prefix's plan (ApercuMenage): the files under its game folders
// are listed with those of the save and game folders. Nothing is written there.
Apercu ApercuPrefixe(const PrefixeOuvert& prefixe);
