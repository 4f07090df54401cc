#pragma once
// Where a file lies, as a run on a Wine or Proton prefix sorts it: a game's saves and a game's own
// files are what deleting by mask can cost a player the most.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

enum class Emplacement {
  Ailleurs,
  Sauvegardes,  // under a save location
  Jeux,         // under a folder a launcher installed a game into
};

// The place of the folder or file at the Windows path `chemin` (names compared as Windows
// compares them, "\" or "/" between them, "." and ".." resolved):
// - a save location (SauvegardeDe);
// - a game folder: one of `jeux` (Windows paths) or below it;
// - anywhere else: Ailleurs. A drive root or a relative path among `jeux` and `sauvegardes`
//   counts for nothing.
Emplacement EmplacementDe(std::string_view chemin, const std::vector<std::string>& jeux,
                          const std::vector<std::string>& sauvegardes = {});

// A Windows path as names are compared: its drive letter and its names below the drive, each
// folded (os::foldedName), "." and ".." resolved; `lecteur` is "" for a path without a drive.
struct CheminPlie {
  std::string lecteur;
  std::vector<std::string> noms;
};
CheminPlie Plier(std::string_view chemin);
// `dossier` is `chemin` or holds it (same drive, its names first).
bool Dans(const CheminPlie& chemin, const CheminPlie& dossier);

// The save location that holds `chemin` (or is it), as the number of its names: the outermost
// one; 0 when none does. Save locations are, on drive C:
// - below "C:\users\<a user>\": "Documents" (and "My Documents", "Mes documents"), "Saved Games",
//   "AppData\Roaming" and "AppData\LocalLow" ("Application Data" as older profiles name it)
//   without their "Microsoft" folders, where the system keeps its own (Recent, Templates...),
//   and "AppData\Local" without its "Microsoft" and "Temp" folders;
// - "C:\ProgramData" without its "Microsoft" and "Package Cache" folders;
// - any folder named "SaveGames", "Saves", "Saved Games" or "savegame*", at any depth;
// and one of `sauvegardes` (Windows paths the profile's registry names, such as a Documents
// folder moved elsewhere), on any drive.
std::size_t SauvegardeDe(const CheminPlie& chemin, const std::vector<std::string>& sauvegardes);
// `chemin` is itself a save location (the outermost or one within it).
bool EstSauvegarde(const CheminPlie& chemin, const std::vector<std::string>& sauvegardes);
