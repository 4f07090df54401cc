#include "bench/FoyerProton.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "bench/Commun.h"

namespace fs = std::filesystem;

namespace banc {

namespace {

// `n` files named "<nom><i><ext>" in `dossier`, every `pas`-th one ending in `autre` instead.
long Fichiers(const fs::path& dossier, const char* nom, long n, const char* ext, long pas = 0,
              const char* autre = "") {
  for (long i = 0; i < n; ++i) {
    Ecrire(dossier / Nom(nom, i, pas > 0 && i % pas == 0 ? autre : ext), "x");
  }
  return pas > 0 ? (n + pas - 1) / pas : 0;
}

// A prefix as Proton leaves one, about `fichiers` files in drive C; adds what the default
// choices take there to `attendu`.
void FairePrefixe(const fs::path& pfx, long fichiers, Attendu& attendu) {
  Ecrire(pfx / "system.reg", "WINE REGISTRY Version 2\n");
  Ecrire(
      pfx / "user.reg",
      "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"
      "\n#arch=win64\n\n[Environment] 1700000000\n"
      "\"TEMP\"=\"C:\\\\users\\\\steamuser\\\\Temp\"\n");
  const fs::path c = pfx / "drive_c";
  const fs::path u = c / "users/steamuser";
  const long part = std::max(1L, fichiers / 20);
  // The system's and the game's own files: a few temporary ones among them.
  for (long d = 0; d < 9; ++d) Fichiers(c / "windows/system32" / Nom("d", d), "lib", part, ".dll");
  for (long d = 0; d < 6; ++d) {
    attendu.pris +=
        Fichiers(c / "Program Files/Jeu" / Nom("pak", d), "donnee", part, ".pak", 40, ".tmp");
  }
  // The temporary folders: everything in them.
  Fichiers(c / "windows/temp", "t", part / 2, ".dat");
  Fichiers(u / "Temp", "crash", part / 2, ".dmp");
  attendu.pris += 2 * (part / 2);
  // A game's caches in AppData\Local (no save location): its temporary and index files go.
  attendu.pris += Fichiers(u / "AppData/Local/Jeu", "cache", part, ".bin", 10, ".tmp");
  attendu.pris += Fichiers(u / "AppData/Local/Jeu/aide", "aide", part / 2, ".hlp", 5, ".gid");
  // Saves: protected, whatever the masks say.
  attendu.proteges += Fichiers(u / "Documents/My Games/Jeu", "partie", part, ".sav", 10, ".tmp");
  attendu.proteges +=
      Fichiers(u / "AppData/Roaming/Editeur/Jeu", "profil", part, ".cfg", 10, ".tmp");
}

}  // namespace

void Ecrire(const fs::path& fichier, const std::string& texte) {
  fs::create_directories(fichier.parent_path());
  std::FILE* f = std::fopen(fichier.c_str(), "wb");
  if (f == nullptr || std::fwrite(texte.data(), 1, texte.size(), f) != texte.size() ||
      std::fclose(f) != 0) {
    throw std::runtime_error("écriture impossible : " + fichier.string());
  }
}

void BibliothequesSteam(const fs::path& steam, const fs::path& bibliotheque) {
  Ecrire(steam / "config/libraryfolders.vdf",
         "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + steam.string() +
             "\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + bibliotheque.string() +
             "\"\n\t}\n}\n");
}

void ManifesteSteam(const fs::path& steamapps, const std::string& appid) {
  Ecrire(steamapps / ("appmanifest_" + appid + ".acf"),
         "\"AppState\"\n{\n\t\"appid\"\t\t\"" + appid + "\"\n\t\"name\"\t\t\"Jeu " + appid +
             "\"\n\t\"installdir\"\t\t\"Jeu\"\n}\n");
}

fs::path FoyerProton(const fs::path& racine, long prefixes, long fichiers, Attendu& attendu) {
  const fs::path home = racine / "home";
  const fs::path steam = home / ".local/share/Steam";
  const fs::path lib2 = racine / "disque2/SteamLibrary";
  BibliothequesSteam(steam, lib2);
  for (long i = 0; i < prefixes; ++i) {
    const std::string appid = std::to_string(200000 + i);
    const fs::path apps = (i % 2 ? lib2 : steam) / "steamapps";
    FairePrefixe(apps / "compatdata" / appid / "pfx", fichiers, attendu);
    ManifesteSteam(apps, appid);
  }
  return home;
}

}  // namespace banc
