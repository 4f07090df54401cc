#pragma once
// The preview as the command line prints it.
#include <string>

#include "cleaning/Apercu.h"

// One file a line: its Windows path, a tab, its size in bytes, and for a file the run would fail
// to delete a third field, "non supprimable"; those in save or game folders first, under their
// own heading, then the others ("Autres fichiers :"). Then the registry values (the key, a tab,
// the value's name) and the empty folders, each group under its heading; a heading comes only
// with its group. The summary's lines last. A control character in a name is shown as "?".
std::string TexteApercu(const Apercu& apercu);
