#pragma once
// The work on one Wine or Proton prefix, with no toolkit: the prefix opened as it stands, the
// plan of its own validated options or of the user's common choices, and the preview of a run
// there.
#include <filesystem>
#include <string>
#include <vector>

#include "cleaning/Apercu.h"
#include "cleaning/PlanMenage.h"
#include "platform/Drive.h"
#include "prefixes/Choix.h"
#include "prefixes/Prefixe.h"

// A prefix ready for a run.
struct PrefixeOuvert {
  os::Drive lecteur;
  // The plan of its run: its own validated options, else the common choices.
  TPlanMenage plan;
  // The plan comes from the prefix's own "options.ini".
  bool choixPropres = false;
  // The mask passes leave the files in save locations and game folders.
  bool proteger = true;
  // The folders its launchers install its games into, as Windows paths of its drive.
  std::vector<std::string> jeux;
  // Save locations its profile names beyond the usual ones (a Documents folder moved elsewhere).
  std::vector<std::string> sauvegardes;
  // The Windows paths of what the user keeps for good there (the common choices' keep list).
  std::vector<std::string> gardes;
};

// The Windows paths ("C:\Jeux\Un jeu") of those of `jeux` (host paths) that lie in the drive C
// of the prefix `prefixe`, in the same order; the others are left out.
std::vector<std::string> CheminsDansLeLecteur(const std::filesystem::path& prefixe,
                                              const std::vector<std::filesystem::path>& jeux);

// The prefix `dossier` as it stands (os::Drive::existing: nothing is created there), with the
// plan of its "options.ini" when it has one, else the plan `choix` gives, composed in memory with
// its own folders as the options window would compose it (nothing is written there either), and
// the game folders `jeux` (host paths, as Prefixe::jeux), and what `choix` keeps there. Its runs
// protect saves and game folders unless the common choices include them, or unless it is the
// program's own prefix (`propre`) and the program made it (os::Drive::madeByProgram). Throws
// os::SystemError (French) when `dossier` is no usable prefix, ErreurOptions when its registry
// holds a value the options cannot take.
PrefixeOuvert OuvrirPrefixe(const std::filesystem::path& dossier,
                            const std::vector<std::filesystem::path>& jeux,
                            const ChoixCommuns& choix, bool propre = false);
// The same for a prefix that was found (listed, or named by a target): the folder its path leads
// to now must be the one found (Prefixe::id), else it is refused (os::SystemError, French): a
// prefix swapped for a link, or for another folder, since it was found never makes another one
// be opened in its place.
PrefixeOuvert OuvrirPrefixe(const Prefixe& prefixe, const ChoixCommuns& choix,
                            bool propre = false);

// The save locations the profile's registry names (its Documents and its Saved Games), where
// they are: PrefixeOuvert::sauvegardes.
std::vector<std::string> SauvegardesNommees(const os::Drive& lecteur);

// The preview of a run with the prefix's plan (ApercuMenage): the files under its game folders
// are listed with those of the save and game folders, and protected as it protects them; the
// kept ones apart. Nothing is written there.
Apercu ApercuPrefixe(const PrefixeOuvert& prefixe);
