#pragma once
// Removing the empty sub-folders that a cleaning run leaves behind.
#include <cstdint>
#include <functional>
#include <string_view>

// Removes every sub-folder of `dossier` (a Windows path) that is empty, deepest first, so that a
// folder holding only empty folders goes too. `dossier` itself stays; links and mount points are
// neither entered nor removed; a folder that cannot be read or removed is left as it is; folders
// more than `profondeurMax` levels below `dossier` are not looked at. The walk sees the names the
// scanner sees (never one holding "\"). `continuer` is called after each sub-folder, as the
// scanner drains the message queue; once it returns false, nothing more is removed. Returns how
// many folders were removed.
int SupprimerDossiersVides(std::string_view dossier, std::int32_t profondeurMax,
                           const std::function<bool()>& continuer = {});
