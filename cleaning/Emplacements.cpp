#include "cleaning/Emplacements.h"

#include <array>

#include "cleaning/DossierDangereux.h"
#include "cleaning/NomsDuChemin.h"
#include "platform/NameCase.h"

namespace {

// The folded names of a Windows path below its drive ("C:" itself left out), "." and ".."
// resolved; the drive letter, folded, in `lecteur` ("" for a path without one).
std::vector<std::string> Noms(std::string_view chemin, std::string& lecteur) {
  lecteur.clear();
  if (chemin.size() >= 2 && chemin[1] == ':') {
    lecteur = os::foldedName(chemin.substr(0, 1));
    chemin.remove_prefix(2);
  }
  std::vector<std::string> noms;
  for (const std::string_view nom : NomsDuChemin(chemin)) noms.push_back(os::foldedName(nom));
  return noms;
}

bool Sauvegarde(const std::vector<std::string>& noms) {
  static const std::array<std::string, 6> kSeuls = {
      "documents", "my documents", "mes documents", "saved games", "my games", "application data"};
  for (std::size_t i = 0; i < noms.size(); ++i) {
    for (const std::string& s : kSeuls) {
      if (noms[i] == s) return true;
    }
    if (noms[i] == "appdata" && i + 1 < noms.size() &&
        (noms[i + 1] == "roaming" || noms[i + 1] == "locallow")) {
      return true;
    }
  }
  return false;
}

bool Sous(const std::vector<std::string>& noms, const std::string& lecteur,
          const std::vector<std::string>& dossier, const std::string& lecteurDossier) {
  if (lecteur != lecteurDossier || dossier.size() > noms.size()) return false;
  for (std::size_t i = 0; i < dossier.size(); ++i) {
    if (noms[i] != dossier[i]) return false;
  }
  return true;
}

}  // namespace

Emplacement EmplacementDe(std::string_view chemin, const std::vector<std::string>& dossiersJeux) {
  std::string lecteur;
  const std::vector<std::string> noms = Noms(chemin, lecteur);
  if (Sauvegarde(noms)) return Emplacement::Sauvegardes;
  if (lecteur == "c" && !noms.empty() &&
      (noms[0] == "program files" || noms[0] == "program files (x86)")) {
    return Emplacement::Jeux;
  }
  for (const std::string& jeu : dossiersJeux) {
    if (DossierDangereux(jeu)) continue;
    std::string lecteurJeu;
    if (Sous(noms, lecteur, Noms(jeu, lecteurJeu), lecteurJeu)) return Emplacement::Jeux;
  }
  return Emplacement::Ailleurs;
}
