#include "cleaning/Emplacements.h"

#include <algorithm>
#include <initializer_list>

#include "cleaning/DossierDangereux.h"
#include "platform/NameCase.h"
#include "platform/PathNames.h"

namespace {

// A folder that holds a game's saves wherever it lies (folded).
bool NomDeSauvegardes(const std::string& nom) {
  return nom == "saves" || nom == "saved games" || nom.starts_with("savegame");
}

// The save location of a profile or of the system that holds the folded names `noms` of drive C,
// as its number of names; 0 when none does.
std::size_t SauvegardeFixe(const std::vector<std::string>& noms) {
  // The location is the first `longueur` names, but not its folders `aPart`.
  const auto lieu = [&noms](std::size_t longueur, std::initializer_list<const char*> aPart) {
    for (const char* nom : aPart) {
      if (noms.size() > longueur && noms[longueur] == nom) return std::size_t{0};
    }
    return longueur;
  };
  if (!noms.empty() && noms[0] == "programdata") return lieu(1, {"microsoft", "package cache"});
  if (noms.size() < 3 || noms[0] != "users") return 0;
  const std::string& n = noms[2];
  for (const char* seul : {"documents", "my documents", "mes documents", "saved games"}) {
    if (n == seul) return 3;
  }
  // The application data of the user's games, the system's own "Microsoft" folder aside.
  if (n == "application data") return lieu(3, {"microsoft"});
  if (n != "appdata" || noms.size() < 4) return 0;
  if (noms[3] == "roaming" || noms[3] == "locallow") return lieu(4, {"microsoft"});
  if (noms[3] == "local") return lieu(4, {"microsoft", "temp"});
  return 0;
}

}  // namespace

CheminPlie Plier(std::string_view chemin) {
  CheminPlie plie;
  if (chemin.size() >= 2 && chemin[1] == ':') {
    plie.lecteur = os::foldedName(chemin.substr(0, 1));
    chemin.remove_prefix(2);
  }
  for (const std::string_view nom : os::pathNames(chemin)) plie.noms.push_back(os::foldedName(nom));
  return plie;
}

bool Dans(const CheminPlie& chemin, const CheminPlie& dossier) {
  return chemin.lecteur == dossier.lecteur && dossier.noms.size() <= chemin.noms.size() &&
         std::equal(dossier.noms.begin(), dossier.noms.end(), chemin.noms.begin());
}

std::size_t SauvegardeDe(const CheminPlie& chemin, const std::vector<std::string>& sauvegardes) {
  std::size_t longueur = 0;
  const auto retenir = [&longueur](std::size_t l) {
    if (l > 0 && (longueur == 0 || l < longueur)) longueur = l;
  };
  if (chemin.lecteur == "c") {
    retenir(SauvegardeFixe(chemin.noms));
    const auto motif = std::find_if(chemin.noms.begin(), chemin.noms.end(), NomDeSauvegardes);
    if (motif != chemin.noms.end())
      retenir(static_cast<std::size_t>(motif - chemin.noms.begin()) + 1);
  }
  for (const std::string& dossier : sauvegardes) {
    if (DossierDangereux(dossier)) continue;  // a drive root or a relative path
    const CheminPlie plie = Plier(dossier);
    if (Dans(chemin, plie)) retenir(plie.noms.size());
  }
  return longueur;
}

bool EstSauvegarde(const CheminPlie& chemin, const std::vector<std::string>& sauvegardes) {
  if (chemin.noms.empty()) return false;
  if (chemin.lecteur == "c" &&
      (SauvegardeFixe(chemin.noms) == chemin.noms.size() || NomDeSauvegardes(chemin.noms.back()))) {
    return true;
  }
  return std::any_of(sauvegardes.begin(), sauvegardes.end(), [&](const std::string& dossier) {
    if (DossierDangereux(dossier)) return false;
    const CheminPlie plie = Plier(dossier);
    return plie.lecteur == chemin.lecteur && plie.noms == chemin.noms;
  });
}

Emplacement EmplacementDe(std::string_view chemin, const std::vector<std::string>& jeux,
                          const std::vector<std::string>& sauvegardes) {
  const CheminPlie plie = Plier(chemin);
  if (SauvegardeDe(plie, sauvegardes) > 0) return Emplacement::Sauvegardes;
  for (const std::string& jeu : jeux) {
    if (!DossierDangereux(jeu) && Dans(plie, Plier(jeu))) return Emplacement::Jeux;
  }
  return Emplacement::Ailleurs;
}
