#pragma once
// The skinned windows' start on a drive, whether the command line chose it or the window that
// chooses a prefix did.
#include <memory>

#include "app/Ouverture.h"
#include "kits/qt/Fenetres.h"

// Prepares the drive `ouverture.lecteur` (the program's own fresh profile gets a few sample
// traces) and puts the help file beside its executable (on a prefix the program did not make,
// only at the first VALIDER), each inside the failure boundary; then
// makes both windows in start-up order, titled with the prefix's name `ouverture.nom`, their runs
// protecting saves and game folders and leaving what the user keeps as `ouverture` says, and
// shows the main window. Closing it ends the application's event loop.
std::unique_ptr<Fenetres> OuvrirFenetres(Ouverture ouverture);
