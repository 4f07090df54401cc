#pragma once
// Lutris's prefixes: the "prefix" of the "game" section of each game's YAML file, in the games
// folders of the native and Flatpak installations (new and older places).
#include "prefixes/Collecte.h"
#include "prefixes/Maison.h"

void CandidatsLutris(const Maison& maison, Collecte& collecte);
