#include "prefixes/Lutris.h"

#include <yaml-cpp/yaml.h>

#include <cctype>
#include <iterator>
#include <string_view>

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

// The folder the game `jeu` ("game:" of its file) is installed in, from its working folder or
// its executable (relative ones are in the prefix): the first folder below drive_c that holds it
// ("drive_c/GOG Games"), or, under the drive's own system folders (windows, users, ProgramData),
// the working folder or the executable's when it lies at least three levels down (never a whole
// profile or the Windows folder). Nothing when neither lies in the drive C of `prefixe`.
std::vector<fs::path> Jeux(const YAML::Node& jeu, const fs::path& prefixe) {
  const fs::path lecteur = (prefixe / "drive_c").lexically_normal();
  std::vector<fs::path> jeux;
  for (const char* cle : {"working_dir", "exe"}) {
    const std::string ecrit = TexteYaml(jeu, cle);
    if (ecrit.empty() || ecrit.find('\0') != std::string::npos) continue;
    const fs::path chemin = (prefixe / ecrit).lexically_normal();  // an absolute one stays
    const fs::path relatif = chemin.lexically_relative(lecteur);
    if (relatif.empty() || *relatif.begin() == ".." || *relatif.begin() == ".") continue;
    std::string premier = relatif.begin()->string();
    for (char& c : premier) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const bool systeme = premier == "windows" || premier == "users" || premier == "programdata";
    const fs::path dossier = std::string_view(cle) == "working_dir" ? relatif : relatif.parent_path();
    if (!systeme) {
      jeux.push_back(lecteur / *relatif.begin());
    } else if (std::distance(dossier.begin(), dossier.end()) >= 3) {
      jeux.push_back(lecteur / dossier);
    }
    break;
  }
  return jeux;
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
      collecte.Ajouter(*chemin, Origine::Lutris, titre.empty() ? NomDuFichier(nom) : titre,
                       Jeux((*jeu)["game"], *chemin));
    }
  }
}
