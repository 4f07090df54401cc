#pragma once
// The keep list from the command line (--garder, --ne-plus-garder).
#include "kits/ligne/Arguments.h"
#include "kits/ligne/Sortie.h"

// --garder CHEMIN keeps CHEMIN for good (ElementGardeDe: a host path inside a prefix's drive C,
// in that prefix; a Windows path "C:\...", in every prefix) and saves it with the common
// choices; --ne-plus-garder CHEMIN takes it out of the list; --garder alone lists it. Throws
// ErreurGarde for a path that cannot be kept or is not kept, ErreurChoix or os::SystemError
// when the choices cannot be read or saved.
Statut Gardes(const Commande& commande);
