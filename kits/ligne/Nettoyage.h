#pragma once
// Cleaning from the command line: a run without windows (TMenage with the real executant) in one
// prefix or in every prefix found, its status line on a terminal and its summary on standard
// output, its refusals and failures on standard error. Ctrl-C stops a run cleanly: the pass in
// progress ends, the summary still comes, and no further prefix is cleaned.
#include <vector>

#include "kits/ligne/Sortie.h"
#include "prefixes/Choix.h"
#include "prefixes/Prefixe.h"

// Cleans the prefix `prefixe` with its own validated options, else with `choix`; `propre`: it is
// the program's own prefix, whose run protects nothing when the program made it. Nothing is created
// there beyond what the run itself does. Returns the exit status.
Statut NettoyerPrefixe(const Prefixe& prefixe, const ChoixCommuns& choix, bool propre = false);

// Cleans each of `prefixes` that is not in use, says which ones it passed over and why, then the
// total. Returns the worst exit status of the runs made.
Statut NettoyerTous(const std::vector<Prefixe>& prefixes, const ChoixCommuns& choix);
