#pragma once
// Bottles's prefixes: each bottle folder (its own prefix) in the bottles folder of the native
// and Flatpak installations, and in the custom folder data.yml names; a bottle is named in its
// bottle.yml.
#include "prefixes/Collecte.h"
#include "prefixes/Maison.h"

void CandidatsBottles(const Maison& maison, Collecte& collecte);
