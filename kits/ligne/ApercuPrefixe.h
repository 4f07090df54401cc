#pragma once
// The preview of a cleaning run in a Wine or Proton prefix (Linux).
#include <filesystem>
#include <string>
#include <vector>

#include "cleaning/Apercu.h"

// The Windows paths ("C:\Jeux\Un jeu") of those of `jeux` (host paths) that lie in the drive C
// of the prefix `prefixe`, in the same order; the others are left out.
std::vector<std::string> CheminsDansLeLecteur(const std::filesystem::path& prefixe,
                                              const std::vector<std::filesystem::path>& jeux);

// The preview of a run in the prefix `dossier` with its validated options (ApercuMenage): the
// files under the launchers' game folders `jeux` (host paths, as Prefixe::jeux) are listed with
// those of the save and game folders. The program's current prefix becomes `dossier`
// (OuvrirPrefixe), and nothing is written there. Throws os::SystemError (French): `dossier` is
// no usable prefix.
Apercu ApercuPrefixe(const std::filesystem::path& dossier,
                     const std::vector<std::filesystem::path>& jeux = {});

// The game folders the launchers name for the prefix `dossier` (the same folder, whatever path
// reaches it), as host paths; none when no launcher knows it.
std::vector<std::filesystem::path> JeuxDuPrefixe(const std::filesystem::path& dossier);
