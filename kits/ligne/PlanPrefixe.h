#pragma once
// An existing prefix made the program's current one, as it stands, and the plan its validated
// options give.
#include <filesystem>

#include "cleaning/PlanMenage.h"

// Points the program at the prefix `dossier` without creating anything there
// (os::useExistingPrefix) and returns the plan its "options.ini" gives; OptionsValidees tells
// whether it has one. Throws os::SystemError (French) when `dossier` is no usable prefix.
TPlanMenage OuvrirPrefixe(const std::filesystem::path& dossier);
