#pragma once
// Proton's prefixes: <library>/steamapps/compatdata/<appid>/pfx in every Steam library of every
// Steam installation (native, Flatpak, Snap), named after the game's manifest, or, for a game a
// user added to Steam, after its shortcut (userdata/<user>/config/shortcuts.vdf).
#include "prefixes/Collecte.h"
#include "prefixes/Maison.h"

void CandidatsSteam(const Maison& maison, Collecte& collecte);
