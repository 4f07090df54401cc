#pragma once
// Removing the empty sub-folders that a cleaning run leaves behind.
#include <string_view>

// Removes every sub-folder of `dossier` (a Windows path) that is empty, deepest first, so that a
// folder holding only empty folders goes too. `dossier` itself stays; links are neither entered
// nor removed; a folder that cannot be read or removed is left as it is. Returns how many
// folders were removed.
int SupprimerDossiersVides(std::string_view dossier);
