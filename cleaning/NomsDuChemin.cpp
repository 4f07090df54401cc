#include "cleaning/NomsDuChemin.h"

std::vector<std::string_view> NomsDuChemin(std::string_view chemin) {
  std::vector<std::string_view> noms;
  std::size_t debut = 0;
  while (debut <= chemin.size()) {
    std::size_t fin = chemin.find_first_of("\\/", debut);
    if (fin == std::string_view::npos) fin = chemin.size();
    const std::string_view nom = chemin.substr(debut, fin - debut);
    if (nom == "..") {
      if (!noms.empty()) noms.pop_back();
    } else if (!nom.empty() && nom != ".") {
      noms.push_back(nom);
    }
    debut = fin + 1;
  }
  return noms;
}
