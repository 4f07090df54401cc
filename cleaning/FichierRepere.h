#pragma once
// A file as a run holds it: the identity of the open folder that lists it and its exact name
// there. Whatever path reaches that folder (a registry value spelled in another case than the
// disk) names the same file; two names that differ only in case are two files.
#include <compare>
#include <string>

#include "platform/FileId.h"

struct FichierRepere {
  os::FileId dossier;
  std::string nom;
  friend auto operator<=>(const FichierRepere&, const FichierRepere&) = default;
};
