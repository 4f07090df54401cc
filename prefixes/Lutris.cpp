#include "prefixes/Lutris.h"

#include <yaml-cpp/yaml.h>

#include "prefixes/Lecture.h"
#include "prefixes/Yaml.h"

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> DossiersJeux(const Maison& m) {
  std::vector<fs::path> dossiers = m.SousDonnees("lutris/games");
  for (const fs::path& d : m.SousConfig("lutris/games")) dossiers.push_back(d);
  dossiers.push_back(m.dossier / ".var/app/net.lutris.Lutris/data/lutris/games");
  dossiers.push_back(m.dossier / ".var/app/net.lutris.Lutris/config/lutris/games");
  return dossiers;
}

// "jeu-de-test-1700000000.yml" names the game "jeu-de-test".
std::string NomDuFichier(const std::string& fichier) {
  std::string nom = fichier.substr(0, fichier.size() - 4);
  const std::size_t tiret = nom.rfind('-');
  if (tiret != std::string::npos && tiret > 0 && tiret + 1 < nom.size() &&
      nom.find_first_not_of("0123456789", tiret + 1) == std::string::npos) {
    nom.resize(tiret);
  }
  return nom;
}

}  // namespace

void CandidatsLutris(const Maison& maison, Collecte& collecte) {
  for (const fs::path& dossier : DossiersJeux(maison)) {
    for (const std::string& nom : Enfants(dossier)) {
      if (!nom.ends_with(".yml") || nom.size() <= 4) continue;
      const fs::path fichier = dossier / nom;
      const std::optional<YAML::Node> jeu = LireYaml(fichier, collecte);
      if (!jeu || !jeu->IsMap()) continue;
      const std::string prefixe = TexteYaml((*jeu)["game"], "prefix");
      const std::optional<fs::path> chemin = CheminEcrit(prefixe, maison.dossier);
      if (!chemin) continue;  // not a Wine game
      std::string titre = TexteYaml(*jeu, "name");
      collecte.Ajouter(*chemin, Origine::Lutris, titre.empty() ? NomDuFichier(nom) : titre);
    }
  }
}
