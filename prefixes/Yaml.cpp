#include "prefixes/Yaml.h"

#include "prefixes/Lecture.h"

std::optional<YAML::Node> LireYaml(const std::filesystem::path& fichier, Collecte& collecte) {
  const std::optional<std::string> texte = LireFichier(fichier, 1 << 20);
  if (!texte) return std::nullopt;
  try {
    return YAML::Load(*texte);
  } catch (const std::exception& e) {
    collecte.Avertir(fichier, std::string("YAML incorrect (") + e.what() + ")");
    return std::nullopt;
  }
}

std::string TexteYaml(const YAML::Node& noeud, const char* cle) {
  try {
    if (!noeud.IsMap()) return {};
    const YAML::Node valeur = noeud[cle];
    return valeur.IsScalar() ? valeur.Scalar() : std::string();
  } catch (const std::exception&) {
    return {};
  }
}
