#pragma once
// Removing the empty sub-folders that a cleaning run leaves behind.
#include <cstdint>
#include <functional>
#include <string_view>

#include "cleaning/Executant.h"
#include "cleaning/Gardes.h"

// Removes, through `executant`, every sub-folder of `dossier` (a Windows path of the executant's
// drive) that is empty,
// deepest first, so that a folder holding only empty folders goes too. The walk is the
// scanner's: each folder is opened relative to its parent and listed once, and a sub-folder is
// removed through the folder that listed it. `dossier` itself stays; links and mount points are
// neither entered nor removed; a folder that cannot be read or removed is left as it is; folders
// more than `profondeurMax` levels below `dossier` are not looked at. `continuer` is called
// after each sub-folder, as the scanner drains the message queue; once it returns false,
// nothing more is removed. A folder of `gardes` is neither entered nor removed. Returns how many
// folders were removed.
int SupprimerDossiersVides(std::string_view dossier, std::int32_t profondeurMax,
                           IExecutant& executant, const std::function<bool()>& continuer = {},
                           const Gardes& gardes = {});
