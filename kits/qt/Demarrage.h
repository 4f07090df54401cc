#pragma once
// The skinned windows' start on the current prefix (os::prefixFolder()), whether the command
// line chose it or the window that chooses a prefix did.
#include <memory>

#include "kits/qt/Fenetres.h"

// Prepares the profile (a brand-new one gets a few sample traces) and puts the help file beside
// the executable, each inside the failure boundary; then makes both windows in start-up order
// and shows the main window. Closing it ends the application's event loop.
std::unique_ptr<Fenetres> OuvrirFenetres();
