#pragma once
// The help file beside the executable of a drive ("...\Tidora2000.hlp").
#include <string>
#include <string_view>

#include "platform/Drive.h"

// The help file's Windows path: the executable's path with the extension ".hlp".
std::string CheminFichierAide(const os::Drive& lecteur);
// Writes `texte` (the help the program carries) there when no file is there yet, the program's
// folder made when missing; returns true when it did.
bool InstallerFichierAide(const os::Drive& lecteur, std::string_view texte);
