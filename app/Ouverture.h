#pragma once
// What the program opens once its command line is read: the skinned windows on a drive, or the
// window that chooses a prefix.
#include <optional>
#include <string>
#include <vector>

#include "platform/Drive.h"

struct Ouverture {
  enum class Genre { Fenetres, Choix };
  Genre genre = Genre::Fenetres;
  // With Fenetres: the drive the windows work on.
  std::optional<os::Drive> lecteur{};
  // Its name as the launchers know it ("" for the program's own prefix).
  std::string nom{};
  // A user's prefix: the run's mask passes leave saves and game folders.
  bool proteger = false;
  // The Windows paths of the folders its launchers install its games into, and of the save
  // locations its profile names beyond the usual ones (TMenage::DossiersJeux and
  // DossiersSauvegardes).
  std::vector<std::string> jeux{};
  std::vector<std::string> sauvegardes{};
  // The Windows paths of what the user keeps for good there (TMenage::CheminsGardes).
  std::vector<std::string> gardes{};
  // A prefix the program did not make (a game's, a Wine prefix, also when TIDORA_PREFIX names
  // it): the windows write nothing there until VALIDER, which saves the options and puts the help
  // file beside them (a prefix validated before gets it at once).
  bool etranger = false;
};
