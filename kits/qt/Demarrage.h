#pragma once
// The skinned windows' start on a drive, whether the command line chose it or the window that
// chooses a prefix did.
#include <memory>

#include "kits/qt/Fenetres.h"

// Prepares the drive (the program's own fresh profile gets a few sample traces) and puts the
// help file beside its executable, each inside the failure boundary; then makes both windows in
// start-up order and shows the main window. Closing it ends the application's event loop.
std::unique_ptr<Fenetres> OuvrirFenetres(os::Drive lecteur);
