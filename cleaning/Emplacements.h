#pragma once
// Where a file lies, as a run on a Wine or Proton prefix sorts it: a game's saves and a game's own
// files are what deleting by mask can cost a player the most.
#include <string>
#include <string_view>
#include <vector>

enum class Emplacement {
  Ailleurs,
  Sauvegardes,  // under a save location of a user profile
  Jeux,         // under a folder a launcher installed a game into
};

// The place of the folder or file at the Windows path `chemin` (names compared as Windows
// compares them, "\" or "/" between them, "." and ".." resolved):
// - a save location: below "C:\users\<a user>\" its "Documents" (and "My Documents", "Mes
//   documents"), "Saved Games", "AppData\Roaming" and "AppData\LocalLow" ("Application Data" as
//   older profiles name it), those folders themselves included, but not their "Microsoft"
//   folders, where the system keeps its own (Recent, Templates...); or one of `sauvegardes`
//   (Windows paths the profile's registry names, such as a Documents folder moved elsewhere);
// - a game folder: one of `jeux` (Windows paths) or below it;
// - anywhere else: Ailleurs. A drive root or a relative path among `jeux` and `sauvegardes`
//   counts for nothing.
Emplacement EmplacementDe(std::string_view chemin, const std::vector<std::string>& jeux,
                          const std::vector<std::string>& sauvegardes = {});
