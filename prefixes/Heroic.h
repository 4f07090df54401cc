#pragma once
// Heroic's prefixes: the "winePrefix" of each game's settings (its "pfx" for a prefix of the
// Proton type), named after the game's title in its store's library files (Epic, GOG, Amazon,
// added by hand) or else after its folder, and the folder of prefixes its settings give new
// games (by default ~/Games/Heroic/Prefixes/default, one prefix a game, each named after its
// folder), native and Flatpak.
#include "prefixes/Collecte.h"
#include "prefixes/Maison.h"

void CandidatsHeroic(const Maison& maison, Collecte& collecte);
