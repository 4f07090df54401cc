#include "prefixes/Heroic.h"

#include <nlohmann/json.hpp>

#include <map>
#include <tuple>

#include "prefixes/Lecture.h"

namespace fs = std::filesystem;
using Json = nlohmann::json;

namespace {

std::vector<fs::path> DossiersConfig(const Maison& m) {
  std::vector<fs::path> dossiers = m.SousConfig("heroic");
  dossiers.push_back(m.dossier / ".var/app/com.heroicgameslauncher.hgl/config/heroic");
  return dossiers;
}

std::optional<Json> LireJson(const fs::path& fichier, Collecte& collecte) {
  const std::optional<std::string> texte = LireFichier(fichier, 16 << 20);
  if (!texte) return std::nullopt;
  Json json = Json::parse(*texte, nullptr, false);
  if (json.is_discarded()) {
    collecte.Avertir(fichier, "JSON incorrect");
    return std::nullopt;
  }
  return json;
}

std::string Texte(const Json& objet, const char* cle) {
  if (!objet.is_object()) return {};
  const auto i = objet.find(cle);
  return i != objet.end() && i->is_string() ? i->get<std::string>() : std::string();
}

// The prefixes a folder holds (<title> or <title>/pfx), each named after its folder.
void Contenus(const fs::path& dossier, Collecte& collecte) {
  for (const std::string& titre : Enfants(dossier)) {
    collecte.Ajouter(dossier / titre, Origine::Heroic, titre);
    collecte.Ajouter(dossier / titre / "pfx", Origine::Heroic, titre);
  }
}

// Where Heroic installed each game, by its appName: Epic's (legendary), GOG's, and the games
// added by hand.
std::map<std::string, fs::path> Installations(const fs::path& config, const Maison& m,
                                              Collecte& collecte) {
  std::map<std::string, fs::path> installations;
  const auto ajouter = [&](const Json& jeu, const char* cleNom, const char* cleDossier) {
    const std::string nom = Texte(jeu, cleNom);
    if (const std::optional<fs::path> d = CheminEcrit(Texte(jeu, cleDossier), m.dossier)) {
      if (!nom.empty()) installations.emplace(nom, *d);
    }
  };
  if (const std::optional<Json> epic = LireJson(config / "legendaryConfig/legendary/installed.json", collecte);
      epic && epic->is_object()) {
    for (const auto& [appName, jeu] : epic->items()) {
      if (const std::optional<fs::path> d = CheminEcrit(Texte(jeu, "install_path"), m.dossier)) {
        installations.emplace(appName, *d);
      }
    }
  }
  for (const auto& [fichier, liste, cleNom, cleDossier] :
       {std::tuple{"gog_store/installed.json", "installed", "appName", "install_path"},
        std::tuple{"sideload_apps/library.json", "games", "app_name", "folder_name"}}) {
    const std::optional<Json> json = LireJson(config / fichier, collecte);
    if (!json || !json->is_object()) continue;
    const auto jeux = json->find(liste);
    if (jeux == json->end() || !jeux->is_array()) continue;
    for (const Json& jeu : *jeux) ajouter(jeu, cleNom, cleDossier);
  }
  return installations;
}

// The prefix a game's settings name, as "<path>/pfx" for the Proton type, named after its
// folder, with the game's install folder when Heroic knows it. A game may also have been given
// a folder of prefixes: those it holds.
void Jeu(const Json& reglages, const Maison& m, Collecte& collecte,
         std::vector<fs::path> jeux) {
  const std::optional<fs::path> chemin = CheminEcrit(Texte(reglages, "winePrefix"), m.dossier);
  if (!chemin) return;
  const auto version = reglages.find("wineVersion");
  const bool proton = version != reglages.end() && Texte(*version, "type") == "proton";
  fs::path propre = chemin->lexically_normal();
  if (!propre.has_filename()) propre = propre.parent_path();
  collecte.Ajouter(proton ? propre / "pfx" : propre, Origine::Heroic, propre.filename().string(),
                   std::move(jeux));
  Contenus(propre, collecte);
}

}  // namespace

void CandidatsHeroic(const Maison& maison, Collecte& collecte) {
  std::vector<fs::path> dossiersDePrefixes;
  for (const fs::path& config : DossiersConfig(maison)) {
    const std::vector<std::string> reglagesDesJeux = Enfants(config / "GamesConfig");
    const std::map<std::string, fs::path> installations =
        reglagesDesJeux.empty() ? std::map<std::string, fs::path>()
                                : Installations(config, maison, collecte);
    for (const std::string& nom : reglagesDesJeux) {
      if (!nom.ends_with(".json")) continue;
      const std::optional<Json> json = LireJson(config / "GamesConfig" / nom, collecte);
      if (!json || !json->is_object()) continue;
      for (const auto& [appName, reglages] : json->items()) {
        if (!reglages.is_object()) continue;
        std::vector<fs::path> jeux;
        if (const auto i = installations.find(appName); i != installations.end()) jeux.push_back(i->second);
        Jeu(reglages, maison, collecte, std::move(jeux));
      }
    }
    if (const std::optional<Json> json = LireJson(config / "config.json", collecte)) {
      for (const Json* reglages : {&*json, json->is_object() && json->contains("defaultSettings")
                                                 ? &(*json)["defaultSettings"]
                                                 : &*json}) {
        for (const char* cle : {"defaultWinePrefix", "winePrefix"}) {
          if (std::optional<fs::path> d = CheminEcrit(Texte(*reglages, cle), maison.dossier)) {
            dossiersDePrefixes.push_back(*d);
          }
        }
      }
    }
  }
  dossiersDePrefixes.push_back(maison.dossier / "Games/Heroic/Prefixes/default");
  for (const fs::path& d : dossiersDePrefixes) {
    collecte.Ajouter(d, Origine::Heroic, d.filename().string());
    Contenus(d, collecte);
  }
}
