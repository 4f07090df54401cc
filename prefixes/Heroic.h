#pragma once
// Heroic's prefixes: the "winePrefix" of each game's settings (its "pfx" for a prefix of the
// Proton type), and the folder of prefixes its settings give new games (by default
// ~/Games/Heroic/Prefixes/default, one prefix a game), native and Flatpak.
#include "prefixes/Collecte.h"
#include "prefixes/Maison.h"

void CandidatsHeroic(const Maison& maison, Collecte& collecte);
