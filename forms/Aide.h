#pragma once
// Help action of both windows: when the application's help file name is empty, it becomes the
// executable's path with the extension ".hlp"; then the window's help reader shows that file.
#include <string>

#include "forms/Fenetre.h"

// The application's help file (a Windows path); empty until the first help action.
extern std::string HelpFile;
void ActionAide(IFenetre& fenetre);
