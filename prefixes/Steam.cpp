#include "prefixes/Steam.h"

#include <sys/stat.h>

#include <optional>
#include <set>
#include <utility>

#include "prefixes/Lecture.h"
#include "prefixes/Vdf.h"

namespace fs = std::filesystem;

namespace {

// The places a Steam installation lives, in the order their prefixes are listed.
std::vector<fs::path> Racines(const Maison& m) {
  std::vector<fs::path> racines = m.SousDonnees("Steam");
  const fs::path& h = m.dossier;
  for (const char* r : {".steam/steam", ".steam/root", ".steam/debian-installation",
                        ".var/app/com.valvesoftware.Steam/data/Steam",
                        ".var/app/com.valvesoftware.Steam/.local/share/Steam",
                        "snap/steam/common/.steam/root"}) {
    racines.push_back(h / r);
  }
  return racines;
}

// A folder once, whatever path reaches it.
class DejaVus {
 public:
  bool Nouveau(const fs::path& dossier) {
    struct stat st {};
    if (::stat(dossier.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return vus_.insert({st.st_dev, st.st_ino}).second;
  }

 private:
  std::set<std::pair<dev_t, ino_t>> vus_;
};

// "steamapps" of a library, or "SteamApps" of an older one.
std::optional<fs::path> DossierApps(const fs::path& bibliotheque) {
  for (const char* nom : {"steamapps", "SteamApps"}) {
    std::error_code ec;
    if (fs::is_directory(bibliotheque / nom, ec)) return bibliotheque / nom;
  }
  return std::nullopt;
}

// The libraries a libraryfolders.vdf names: "<n>" { "path" "..." } or, older, "<n>" "...".
void LireBibliotheques(const fs::path& fichier, const Maison& m, std::vector<fs::path>& sortie,
                       Collecte& collecte) {
  const std::optional<std::string> texte = LireFichier(fichier);
  if (!texte) return;
  NoeudVdf vdf;
  try {
    vdf = LireVdf(*texte);
  } catch (const ErreurVdf& e) {
    collecte.Avertir(fichier, e.what());
    return;
  }
  for (const NoeudVdf& haut : vdf.enfants) {
    if (!haut.bloc) continue;
    for (const NoeudVdf& e : haut.enfants) {
      if (e.cle.empty() || e.cle.find_first_not_of("0123456789") != std::string::npos) continue;
      const std::string_view chemin = e.bloc ? e.Valeur("path") : std::string_view(e.valeur);
      if (std::optional<fs::path> p = CheminEcrit(chemin, m.dossier)) sortie.push_back(*p);
    }
  }
}

struct Manifeste {
  std::string nom;
  std::string dossier;  // installdir, below steamapps/common
};

std::optional<Manifeste> LireManifeste(const fs::path& apps, const std::string& appid) {
  const fs::path fichier = apps / ("appmanifest_" + appid + ".acf");
  const std::optional<std::string> texte = LireFichier(fichier);
  if (!texte) return std::nullopt;
  try {
    const NoeudVdf vdf = LireVdf(*texte);
    const NoeudVdf* etat = vdf.Enfant("AppState");
    if (etat == nullptr) return std::nullopt;
    return Manifeste{std::string(etat->Valeur("name")), std::string(etat->Valeur("installdir"))};
  } catch (const ErreurVdf&) {
    return std::nullopt;
  }
}

// Proton itself and Steam's runtimes have entries of their own; they are not games.
bool EstOutil(const Manifeste& m, const fs::path& apps) {
  if (m.nom.starts_with("Proton") || m.nom.starts_with("Steam Linux Runtime")) return true;
  if (m.dossier.empty() || m.dossier.find('/') != std::string::npos || m.dossier == "..") {
    return false;
  }
  std::error_code ec;
  return fs::exists(apps / "common" / m.dossier / "toolmanifest.vdf", ec);
}

}  // namespace

void CandidatsSteam(const Maison& maison, Collecte& collecte) {
  DejaVus racinesVues, bibliothequesVues;
  std::vector<fs::path> apps;  // steamapps of every library, once each
  for (const fs::path& racine : Racines(maison)) {
    if (!racinesVues.Nouveau(racine)) continue;
    std::vector<fs::path> bibliotheques{racine};
    LireBibliotheques(racine / "config/libraryfolders.vdf", maison, bibliotheques, collecte);
    LireBibliotheques(racine / "steamapps/libraryfolders.vdf", maison, bibliotheques, collecte);
    for (const fs::path& b : bibliotheques) {
      if (!bibliothequesVues.Nouveau(b)) continue;
      if (std::optional<fs::path> a = DossierApps(b)) apps.push_back(*a);
    }
  }
  for (const fs::path& a : apps) {
    for (const std::string& appid : Enfants(a / "compatdata")) {
      if (appid.find_first_not_of("0123456789") != std::string::npos ||
          appid.find_first_not_of('0') == std::string::npos) {
        continue;  // not an application; 0 is Proton's own
      }
      // The game may be installed in another library than its prefix.
      const fs::path* ou = &a;
      std::optional<Manifeste> manifeste = LireManifeste(a, appid);
      for (std::size_t i = 0; !manifeste && i < apps.size(); ++i) {
        ou = &apps[i];
        if (*ou != a) manifeste = LireManifeste(*ou, appid);
      }
      if (manifeste && EstOutil(*manifeste, *ou)) continue;
      const std::string nom = manifeste && !manifeste->nom.empty() ? manifeste->nom : appid;
      Candidat& c = collecte.Ajouter(a / "compatdata" / appid / "pfx", Origine::Steam, nom);
      c.appid = appid;
      c.desinstalle = !manifeste;
    }
  }
}
