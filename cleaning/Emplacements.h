#pragma once
// Where a file lies, as a preview sorts it: save locations and game folders are where deleting
// by mask can cost a player the most.
#include <string>
#include <string_view>
#include <vector>

enum class Emplacement {
  Ailleurs,
  Sauvegardes,  // under "AppData\Roaming", "AppData\LocalLow", "Application Data",
                // "Documents", "My Documents", "Mes documents", "Saved Games" or "My Games"
  Jeux,         // under "C:\Program Files", "C:\Program Files (x86)" or a game folder given
};

// The place of the Windows path `chemin` (names compared as Windows compares them, "\" or "/"
// between them, "." and ".." resolved): a save location anywhere on the way first, then a game
// folder: the two Program Files folders at the drive's root, or one of `dossiersJeux` (Windows
// paths; a drive root or a relative path among them counts for nothing).
Emplacement EmplacementDe(std::string_view chemin, const std::vector<std::string>& dossiersJeux);
