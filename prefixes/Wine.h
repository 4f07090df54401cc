#pragma once
// Plain Wine prefixes: $WINEPREFIX, ~/.wine, and the folders of prefixes of winetricks
// (~/.local/share/wineprefixes), PortProton (~/.local/share/PortWINE/PortProton/data/prefixes)
// and PlayOnLinux (~/.PlayOnLinux/wineprefix).
#include "prefixes/Collecte.h"
#include "prefixes/Maison.h"

void CandidatsWine(const Maison& maison, Collecte& collecte);
