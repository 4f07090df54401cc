#pragma once
// What the program opens once its command line is read: the skinned windows on a drive, or the
// window that chooses a prefix.
#include <optional>

#include "platform/Drive.h"

struct Ouverture {
  enum class Genre { Fenetres, Choix };
  Genre genre = Genre::Fenetres;
  // With Fenetres: the drive the windows work on.
  std::optional<os::Drive> lecteur;
};
