#pragma once
// The help file beside the executable ("...\Tidora2000.hlp").
#include <string>

// The help file's Windows path: the executable's path with the extension ".hlp".
std::string CheminFichierAide();
// Writes the embedded help text there when no file is there yet; returns true when it did.
bool InstallerFichierAide();
