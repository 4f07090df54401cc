#pragma once
// Help action of both windows: when the application's help file name is empty, it becomes the
// path of the drive's executable with the extension ".hlp"; then the window's help reader shows
// that file, read from the drive (a regular file only, no link).
#include <string>

#include "forms/Fenetre.h"
#include "platform/Drive.h"

// The application's help file (a Windows path); empty until the first help action.
extern std::string HelpFile;
void ActionAide(IFenetre& fenetre, const os::Drive& lecteur);
