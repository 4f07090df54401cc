#pragma once
// The help file beside the executable ("...\Tidora2000.hlp").
#include <string>
#include <string_view>

// The help file's Windows path: the executable's path with the extension ".hlp".
std::string CheminFichierAide();
// Writes `texte` (the help the program carries) there when no file is there yet; returns true
// when it did.
bool InstallerFichierAide(std::string_view texte);
