#pragma once
// The command line, before any window: what can be answered without a display is answered here.
#include <optional>
#include <string>

#include "app/Ouverture.h"

// Reads the arguments and does what they ask. Returns the exit status when the program is done
// (help, version, the list of prefixes, a wrong command line: 2, a failure: 1; the preview and
// the cleaning: Nettoyage.h), nothing when windows are to open, `ouverture` telling which; for
// the skinned windows the drive they work on (--prefixe as it stands, else the program's own
// prefix, made when missing) is then open. When that prefix is refused, the message also goes
// to `refus` (when given), for a program started with no terminal to show it in a window.
std::optional<int> LigneDeCommande(int argc, char* argv[], Ouverture& ouverture,
                                   std::string* refus = nullptr);
