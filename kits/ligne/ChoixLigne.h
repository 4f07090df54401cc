#pragma once
// The user's common choices from the command line (--choix).
#include "kits/ligne/Arguments.h"
#include "kits/ligne/Sortie.h"

// Shows the choices kept (the defaults when none were ever saved); with a list, --masques or
// --sauvegardes, changes them first and saves them. The list names the choices to keep, the
// others being off: the keys of the options file (Cache, History, TypedURL, Recent, Cookies,
// Temp, Sbdr, DocFind, any case) and the built-in masks ("*.tmp"...), separated by ","; "aucun"
// keeps none, "defaut" the defaults. Returns the exit status (Refuse for a wrong list or mask,
// nothing saved then).
Statut Choix(const Commande& commande);
