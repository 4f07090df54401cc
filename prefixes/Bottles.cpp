#include "prefixes/Bottles.h"

#include "prefixes/Lecture.h"
#include "prefixes/Yaml.h"

namespace fs = std::filesystem;

void CandidatsBottles(const Maison& maison, Collecte& collecte) {
  std::vector<fs::path> donnees = maison.SousDonnees("bottles");
  donnees.push_back(maison.dossier / ".var/app/com.usebottles.bottles/data/bottles");
  std::vector<fs::path> dossiers;
  for (const fs::path& d : donnees) {
    dossiers.push_back(d / "bottles");
    if (const std::optional<YAML::Node> data = LireYaml(d / "data.yml", collecte)) {
      const std::string autre = TexteYaml(*data, "custom_bottles_path");
      if (std::optional<fs::path> chemin = CheminEcrit(autre, maison.dossier)) {
        dossiers.push_back(*chemin);
      }
    }
  }
  for (const fs::path& dossier : dossiers) {
    for (const std::string& bouteille : Enfants(dossier)) {
      std::string nom;
      if (const std::optional<YAML::Node> b = LireYaml(dossier / bouteille / "bottle.yml", collecte)) {
        nom = TexteYaml(*b, "Name");
      }
      collecte.Ajouter(dossier / bouteille, Origine::Bottles, nom.empty() ? bouteille : nom);
    }
  }
}
