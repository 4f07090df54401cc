#include "cleaning/Emplacements.h"

#include <array>

#include "cleaning/DossierDangereux.h"
#include "platform/NameCase.h"
#include "platform/PathNames.h"

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
  for (const std::string_view nom : os::pathNames(chemin)) noms.push_back(os::foldedName(nom));
  return noms;
}

// A save location of a profile: "users", the user's folder, then one of these (folded).
bool DansUnProfil(const std::vector<std::string>& noms) {
  static const std::array<std::string, 4> kSeuls = {"documents", "my documents", "mes documents",
                                                    "saved games"};
  if (noms.size() < 3 || noms[0] != "users") return false;
  const std::string& n = noms[2];
  for (const std::string& s : kSeuls) {
    if (n == s) return true;
  }
  // The application data of the user's games, where the system's own "Microsoft" folder aside.
  std::size_t suite = 0;
  if (n == "appdata" && noms.size() >= 4 && (noms[3] == "roaming" || noms[3] == "locallow")) {
    suite = 4;
  } else if (n == "application data") {
    suite = 3;
  } else {
    return false;
  }
  return noms.size() == suite || noms[suite] != "microsoft";
}

bool Sous(const std::vector<std::string>& noms, const std::string& lecteur,
          const std::vector<std::string>& dossier, const std::string& lecteurDossier) {
  if (lecteur != lecteurDossier || dossier.size() > noms.size()) return false;
  for (std::size_t i = 0; i < dossier.size(); ++i) {
    if (noms[i] != dossier[i]) return false;
  }
  return true;
}

// `chemin` lies in one of `dossiers` (a drive root or a relative path among them passed over).
bool DansUnDe(const std::vector<std::string>& noms, const std::string& lecteur,
              const std::vector<std::string>& dossiers) {
  for (const std::string& dossier : dossiers) {
    if (DossierDangereux(dossier)) continue;
    std::string lecteurDossier;
    if (Sous(noms, lecteur, Noms(dossier, lecteurDossier), lecteurDossier)) return true;
  }
  return false;
}

}  // namespace

Emplacement EmplacementDe(std::string_view chemin, const std::vector<std::string>& jeux,
                          const std::vector<std::string>& sauvegardes) {
  std::string lecteur;
  const std::vector<std::string> noms = Noms(chemin, lecteur);
  if ((lecteur == "c" && DansUnProfil(noms)) || DansUnDe(noms, lecteur, sauvegardes)) {
    return Emplacement::Sauvegardes;
  }
  if (DansUnDe(noms, lecteur, jeux)) return Emplacement::Jeux;
  return Emplacement::Ailleurs;
}
