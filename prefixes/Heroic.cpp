#include "prefixes/Heroic.h"

#include <nlohmann/json.hpp>

#include <map>
#include <optional>
#include <string_view>

#include "prefixes/Lecture.h"

namespace fs = std::filesystem;
using Json = nlohmann::json;

namespace {

// One installation of Heroic (native, Flatpak): the folders of its settings (GamesConfig,
// config.json), and every folder its stores may be in, newest places first: Heroic now keeps
// them in its data, state and cache folders, and once kept them with its settings.
struct Installation {
  std::vector<fs::path> reglages;
  std::vector<fs::path> magasins;
};

std::vector<Installation> Installations(const Maison& m) {
  Installation native{m.SousConfig("heroic"), m.SousDonnees("heroic")};
  native.magasins.push_back(m.dossier / ".local/state/Heroic");
  native.magasins.push_back(m.dossier / ".cache/heroic");
  native.magasins.insert(native.magasins.end(), native.reglages.begin(), native.reglages.end());
  const fs::path flatpak = m.dossier / ".var/app/com.heroicgameslauncher.hgl";
  Installation plate{{flatpak / "config/heroic"},
                     {flatpak / "data/heroic", flatpak / ".local/state/Heroic",
                      flatpak / "cache/heroic", flatpak / "config/heroic"}};
  return {std::move(native), std::move(plate)};
}

// The JSON of `fichier`, at most `limite` bytes; nothing when it is missing or unreadable, and a
// warning in `collecte` when it is malformed or larger.
std::optional<Json> LireJson(const fs::path& fichier, Collecte& collecte,
                             std::size_t limite = 16 << 20) {
  const std::optional<std::string> texte = LireFichier(fichier, limite);
  if (!texte) {
    std::error_code ec;
    if (fs::is_regular_file(fichier, ec) && fs::file_size(fichier, ec) > limite && !ec) {
      collecte.Avertir(fichier, "trop grand");
    }
    return std::nullopt;
  }
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

// The text at `chemin` ("product/title": keys of nested objects) in `objet`; empty when there is
// none or it is not text.
std::string TexteEn(const Json& objet, std::string_view chemin) {
  const Json* j = &objet;
  for (;;) {
    const std::size_t barre = chemin.find('/');
    const std::string cle(chemin.substr(0, barre));
    if (barre == std::string_view::npos) return Texte(*j, cle.c_str());
    if (!j->is_object()) return {};
    const auto i = j->find(cle);
    if (i == j->end()) return {};
    j = &*i;
    chemin.remove_prefix(barre + 1);
  }
}

// The prefixes a folder holds (<title> or <title>/pfx), each named after its folder.
void Contenus(const fs::path& dossier, Collecte& collecte) {
  for (const std::string& titre : Enfants(dossier)) {
    collecte.Ajouter(dossier / titre, Origine::Heroic, titre);
    collecte.Ajouter(dossier / titre / "pfx", Origine::Heroic, titre);
  }
}

// What Heroic's stores know of a game.
struct Jeu {
  std::string titre;
  std::optional<fs::path> dossier;  // where it is installed
};

// A library file of a store, below a store folder: its games are the array under `liste` ("" for
// the file itself), or, when `liste` is null, the members of the file, keyed by the game's
// appName; each game's appName, title and install folder are at the paths given ("" when the
// file has none).
struct Bibliotheque {
  const char* fichier;
  const char* liste;
  const char* cleNom;
  const char* cleTitre;
  const char* cleDossier;
};

// Epic's (legendary), GOG's, Amazon's (nile) and the games added by hand, with the caches of
// their whole libraries (store_cache), the places Heroic once used included.
constexpr Bibliotheque kBibliotheques[] = {
    {"legendaryConfig/legendary/installed.json", nullptr, "", "title", "install_path"},
    {"gog_store/installed.json", "installed", "appName", "", "install_path"},
    {"nile_config/nile/installed.json", "", "id", "", "path"},
    {"sideload_apps/library.json", "games", "app_name", "title", "folder_name"},
    {"store_cache/legendary_library.json", "library", "app_name", "title", ""},
    {"store_cache/gog_library.json", "games", "app_name", "title", ""},
    {"gog_store/library.json", "games", "app_name", "title", ""},
    {"store_cache/nile_library.json", "library", "app_name", "title", ""},
    {"nile_config/nile/library.json", "", "product/id", "product/title", ""},
};

// What the stores of `installation` know of each game, by its appName: the first title and the
// first install folder found. A file of an unexpected shape is named in `collecte`.
std::map<std::string, Jeu> Bibliotheques(const Installation& installation, const Maison& m,
                                         Collecte& collecte) {
  std::map<std::string, Jeu> jeux;
  const auto ajouter = [&](const std::string& nom, const Json& jeu, const Bibliotheque& b) {
    if (nom.empty()) return;
    Jeu& j = jeux[nom];
    if (j.titre.empty() && *b.cleTitre != '\0') j.titre = TexteEn(jeu, b.cleTitre);
    if (!j.dossier && *b.cleDossier != '\0') {
      j.dossier = CheminEcrit(TexteEn(jeu, b.cleDossier), m.dossier);
    }
  };
  for (const fs::path& magasin : installation.magasins) {
    for (const Bibliotheque& b : kBibliotheques) {
      const fs::path fichier = magasin / b.fichier;
      const std::optional<Json> json = LireJson(fichier, collecte, 64 << 20);
      if (!json) continue;
      if (b.liste == nullptr) {
        if (!json->is_object()) {
          collecte.Avertir(fichier, "forme inattendue");
          continue;
        }
        for (const auto& [nom, jeu] : json->items()) ajouter(nom, jeu, b);
        continue;
      }
      const Json* liste = &*json;
      if (*b.liste != '\0') {
        if (!json->is_object()) {
          collecte.Avertir(fichier, "forme inattendue");
          continue;
        }
        const auto i = json->find(b.liste);
        if (i == json->end()) continue;  // an empty store
        liste = &*i;
      }
      if (!liste->is_array()) {
        collecte.Avertir(fichier, "forme inattendue");
        continue;
      }
      for (const Json& jeu : *liste) ajouter(TexteEn(jeu, b.cleNom), jeu, b);
    }
  }
  return jeux;
}

// The prefix a game's settings name, as "<path>/pfx" for the Proton type, named after the
// game's title when its store knows it, else after its folder, with the game's install folder
// when Heroic knows it. A game may also have been given a folder of prefixes: those it holds.
void Reglages(const Json& reglages, const Jeu* jeu, const Maison& m, Collecte& collecte) {
  const std::optional<fs::path> chemin = CheminEcrit(Texte(reglages, "winePrefix"), m.dossier);
  if (!chemin) return;
  const auto version = reglages.find("wineVersion");
  const bool proton = version != reglages.end() && Texte(*version, "type") == "proton";
  fs::path propre = chemin->lexically_normal();
  if (!propre.has_filename()) propre = propre.parent_path();
  std::vector<fs::path> jeux;
  if (jeu != nullptr && jeu->dossier) jeux.push_back(*jeu->dossier);
  collecte.Ajouter(proton ? propre / "pfx" : propre, Origine::Heroic,
                   jeu != nullptr && !jeu->titre.empty() ? jeu->titre : propre.filename().string(),
                   std::move(jeux));
  Contenus(propre, collecte);
}

}  // namespace

void CandidatsHeroic(const Maison& maison, Collecte& collecte) {
  std::vector<fs::path> dossiersDePrefixes;
  for (const Installation& installation : Installations(maison)) {
    std::optional<std::map<std::string, Jeu>> jeux;  // read for the first game's settings
    for (const fs::path& config : installation.reglages) {
      for (const std::string& fichier : Enfants(config / "GamesConfig")) {
        if (!fichier.ends_with(".json")) continue;
        const std::optional<Json> json = LireJson(config / "GamesConfig" / fichier, collecte);
        if (!json || !json->is_object()) continue;
        for (const auto& [appName, reglages] : json->items()) {
          if (!reglages.is_object()) continue;
          if (!jeux) jeux = Bibliotheques(installation, maison, collecte);
          const auto i = jeux->find(appName);
          Reglages(reglages, i != jeux->end() ? &i->second : nullptr, maison, collecte);
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
  }
  dossiersDePrefixes.push_back(maison.dossier / "Games/Heroic/Prefixes/default");
  for (const fs::path& d : dossiersDePrefixes) {
    collecte.Ajouter(d, Origine::Heroic, d.filename().string());
    Contenus(d, collecte);
  }
}
