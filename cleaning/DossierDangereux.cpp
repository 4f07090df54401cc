#include "cleaning/DossierDangereux.h"

#include "platform/PathNames.h"

bool DossierDangereux(std::string_view dossier) noexcept {
  // "X:" then at least one name that is still there once "." and ".." are resolved.
  if (dossier.size() < 2 || dossier[1] != ':') return true;
  const char lecteur = dossier[0];
  if (!((lecteur >= 'A' && lecteur <= 'Z') || (lecteur >= 'a' && lecteur <= 'z'))) return true;
  try {
    return os::pathNames(dossier.substr(2)).empty();
  } catch (...) {
    return true;  // no memory for the names: the safe answer
  }
}
