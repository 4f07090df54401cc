#pragma once
// A file a cleaning run found, with what the run knows of it: the folder that listed it, its
// exact name there, its size, its place and what takes it. What is done to it is done through
// that folder.
#include <cstdint>
#include <string_view>

#include "cleaning/Emplacements.h"
#include "platform/Folder.h"

struct Entree {
  const os::Folder& dossier;
  std::string_view nom;
  std::uint64_t taille = 0;
  Emplacement emplacement = Emplacement::Ailleurs;
  // What takes it: the key of the option of a folder pass ("Temp") or the mask ("*.tmp").
  std::string_view raison;
};
