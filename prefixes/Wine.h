#pragma once
// Plain Wine prefixes: $WINEPREFIX, ~/.wine and those winetricks keeps in
// ~/.local/share/wineprefixes.
#include "prefixes/Collecte.h"
#include "prefixes/Maison.h"

void CandidatsWine(const Maison& maison, Collecte& collecte);
