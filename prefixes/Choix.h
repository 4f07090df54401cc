#pragma once
// The choices a user makes once for every prefix that has no validated options of its own,
// kept in $XDG_CONFIG_HOME/tidora2000/choix.ini (never in a prefix).
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "options/FichierOptions.h"
#include "prefixes/Maison.h"
#include "prefixes/ToujoursGarder.h"

struct ChoixCommuns {
  // The seventeen choices of the options window, in the order of its boxes.
  ChoixOptions cases{};
  // The user's own masks, ";" between them, as the options window's edit box takes them.
  std::string masques;
  // The mask passes also take files in save locations and game folders.
  bool sauvegardes = false;
  // The keep list: what no run takes, in one prefix or in every one, whatever its choices
  // (those with options of their own too).
  std::vector<ElementGarde> gardes;
  friend bool operator==(const ChoixCommuns&, const ChoixCommuns&) = default;
};

// A choices file that cannot be read as one (its French message names the file and the line).
class ErreurChoix : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The choices when none were ever made, safe on any prefix: the five folder passes (the
// browser's cache, its history, the recent documents, the cookies, the temporary folders), the
// registry backups, the typed addresses; of the masks only "*.tmp" and "*.gid" (temporary files
// their program makes again, and the index the help viewer rebuilds): the others (*.bak, *.chk,
// *.log, *.old, *.---, *.~*, *.$*) may hold the only copy of something a user keeps, such as a
// save's backup or a log; saves and game folders protected.
ChoixCommuns ChoixParDefaut();

// Where the user's choices are kept.
std::filesystem::path FichierChoix(const Maison& maison);

// The user's choices; nothing when none were ever saved. Throws ErreurChoix when the file is not
// one this program wrote (a choice, the masks or the saves missing, a value it never writes, a
// mask a validation would refuse), os::SystemError when it cannot be read.
std::optional<ChoixCommuns> LireChoix(const Maison& maison);

// The user's choices, or the defaults when none were ever saved. Throws as LireChoix.
ChoixCommuns ChoixDeLUtilisateur(const Maison& maison);

// Saves the choices (the folder made when missing), replacing the file atomically. Throws
// ErreurOptions on a refused mask (as the options window refuses it), ErreurChoix on a keep list
// too long to be read back, os::SystemError when the file cannot be written; the file is then
// left as it was.
void EnregistrerChoix(const Maison& maison, const ChoixCommuns& choix);

// Adds `elements` to the keep list of the saved choices, read afresh so that nothing saved
// meanwhile is lost (the defaults when none were ever saved), and saves them; returns the
// choices as saved. Throws as LireChoix and EnregistrerChoix.
ChoixCommuns GarderToujours(const Maison& maison, const std::vector<ElementGarde>& elements);
