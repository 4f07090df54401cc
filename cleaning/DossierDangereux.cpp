#include "cleaning/DossierDangereux.h"

#include <cstddef>

bool DossierDangereux(std::string_view dossier) noexcept {
  // "X:" then at least one component that is still there once "." and ".." are resolved.
  if (dossier.size() < 2 || dossier[1] != ':') return true;
  const char lecteur = dossier[0];
  if (!((lecteur >= 'A' && lecteur <= 'Z') || (lecteur >= 'a' && lecteur <= 'z'))) return true;
  std::size_t profondeur = 0;
  std::size_t debut = 2;
  while (debut <= dossier.size()) {
    std::size_t fin = dossier.find_first_of("\\/", debut);
    if (fin == std::string_view::npos) fin = dossier.size();
    const std::string_view composant = dossier.substr(debut, fin - debut);
    if (composant == "..") {
      if (profondeur > 0) --profondeur;
    } else if (!composant.empty() && composant != ".") {
      ++profondeur;
    }
    debut = fin + 1;
  }
  return profondeur == 0;
}
