#include "prefixes/Steam.h"

#include <sys/stat.h>

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

#include "prefixes/Lecture.h"
#include "prefixes/Vdf.h"
#include "prefixes/VdfBinaire.h"

namespace fs = std::filesystem;

namespace {

bool Chiffres(std::string_view texte) {
  return !texte.empty() && texte.find_first_not_of("0123456789") == std::string_view::npos;
}

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

// CRC-32 (IEEE 802.3) of `octets`.
std::uint32_t Crc32(std::string_view octets) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char o : octets) {
    crc = table[(crc ^ static_cast<unsigned char>(o)) & 0xFF] ^ (crc >> 8);
  }
  return crc ^ 0xFFFFFFFFu;
}

// The games a user added to the installation `racine` (non-Steam shortcuts), by the number of
// their prefix, from "userdata/<user>/config/shortcuts.vdf": its "appid" (unsigned), or, for a
// shortcut of older Steam versions without one, the CRC-32 of its Exe and AppName with the high
// bit set, as Steam derives it. Each shortcut is named by its AppName; the first name of a
// number wins. A file that cannot be read is named in `collecte` and skipped.
void LireRaccourcis(const fs::path& racine, std::map<std::string, std::string>& noms,
                    Collecte& collecte) {
  for (const std::string& utilisateur : Enfants(racine / "userdata")) {
    if (!Chiffres(utilisateur)) continue;
    const fs::path fichier = racine / "userdata" / utilisateur / "config/shortcuts.vdf";
    const std::optional<std::string> octets = LireFichier(fichier);
    if (!octets) continue;
    NoeudVdf vdf;
    try {
      vdf = LireVdfBinaire(*octets);
    } catch (const ErreurVdf& e) {
      collecte.Avertir(fichier, e.what());
      continue;
    }
    const NoeudVdf* raccourcis = vdf.Enfant("shortcuts");
    if (raccourcis == nullptr) continue;
    for (const NoeudVdf& r : raccourcis->enfants) {
      const std::string_view nom = r.Valeur("AppName");
      if (!r.bloc || nom.empty()) continue;
      std::string numero(r.Valeur("appid"));
      if (r.Enfant("appid") == nullptr) {
        const std::string exe(r.Valeur("Exe"));
        numero = std::to_string(Crc32(exe + std::string(nom)) | 0x80000000u);
      }
      if (Chiffres(numero)) noms.emplace(std::move(numero), std::string(nom));
    }
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
  std::map<std::string, std::string> raccourcis;  // non-Steam games' names by their number
  for (const fs::path& racine : Racines(maison)) {
    if (!racinesVues.Nouveau(racine)) continue;
    LireRaccourcis(racine, raccourcis, collecte);
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
      if (!Chiffres(appid) || appid.find_first_not_of('0') == std::string::npos) {
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
      // A game added by hand has no manifest: its shortcut names it, and it is not uninstalled.
      const auto raccourci = manifeste ? raccourcis.end() : raccourcis.find(appid);
      const bool ajoute = raccourci != raccourcis.end();
      const std::string nom = manifeste && !manifeste->nom.empty() ? manifeste->nom
                              : ajoute                             ? raccourci->second
                                                                   : appid;
      Candidat& c = collecte.Ajouter(a / "compatdata" / appid / "pfx", Origine::Steam, nom);
      c.appid = appid;
      c.desinstalle = !manifeste && !ajoute;
    }
  }
}
