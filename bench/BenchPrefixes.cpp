// Finding the user's prefixes in a fake home of many prefixes, and measuring their drive C
// against du(1) over the same folders. Everything happens in a temporary folder removed at the
// end; the real home is never looked at.
//
//   bench_prefixes [--prefixes=200] [--files=150] [--rounds=5] [--quick]
//
// The home holds Steam's prefixes in two libraries (both listed in libraryfolders.vdf), Lutris's,
// Bottles's and winetricks's, each drive C with `files` files in a few folders. Times: wall clock,
// median of the rounds after one warm-up of each. Finding is TrouverPrefixes and the in-use check
// of all of them (one look at the processes), without sizes (target < 0.3 s). Sizes is
// MesurerTailles against one `du -s -B1` process over the same drive C folders (target <= 1.2),
// and every size must be what du reports.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "bench/Commun.h"
#include "bench/FoyerProton.h"
#include "prefixes/Liste.h"
#include "prefixes/Taille.h"

extern char** environ;

namespace fs = std::filesystem;
using banc::Horloge;
using banc::Mediane;
using banc::Nom;
using banc::Secondes;

using banc::Ecrire;
using banc::BibliothequesSteam;
using banc::ManifesteSteam;

namespace {

struct Reglages {
  long prefixes = 200;
  long fichiers = 150;
  int tours = 5;
};

// A prefix as Wine leaves one, drive C holding `fichiers` files of various sizes.
void FairePrefixe(const fs::path& dossier, long fichiers, long graine) {
  Ecrire(dossier / "system.reg", "WINE REGISTRY Version 2\n");
  Ecrire(dossier / "user.reg", "WINE REGISTRY Version 2\n");
  const fs::path c = dossier / "drive_c";
  for (long f = 0; f < fichiers; ++f) {
    const fs::path d = c / Nom("dossier", f % 6) / Nom("sous", f % 3);
    Ecrire(d / Nom("f", f, ".dat"), std::string(static_cast<std::size_t>((f * 977 + graine * 131) % 20000), 'x'));
  }
}

// The fake home: returns it.
fs::path Foyer(const fs::path& racine, const Reglages& r) {
  const fs::path home = racine / "home";
  const fs::path steam = home / ".local/share/Steam";
  const fs::path lib2 = racine / "disque2/SteamLibrary";
  BibliothequesSteam(steam, lib2);
  for (long i = 0; i < r.prefixes; ++i) {
    const std::string appid = std::to_string(100000 + i);
    switch (i % 8) {
      case 0: case 1: case 2: case 3: {
        const fs::path apps = (i % 2 ? lib2 : steam) / "steamapps";
        FairePrefixe(apps / "compatdata" / appid / "pfx", r.fichiers, i);
        ManifesteSteam(apps, appid);
        break;
      }
      case 4: case 5: {
        const fs::path p = home / "Games" / Nom("lutris-", i);
        FairePrefixe(p, r.fichiers, i);
        Ecrire(home / ".local/share/lutris/games" / Nom("jeu-", i, "-1700000000.yml"),
               "game:\n  exe: drive_c/jeu.exe\n  prefix: " + p.string() + "\nwine: {}\n");
        break;
      }
      case 6:
        FairePrefixe(home / ".local/share/bottles/bottles" / Nom("bouteille-", i), r.fichiers, i);
        break;
      default:
        FairePrefixe(home / ".local/share/wineprefixes" / Nom("w", i), r.fichiers, i);
    }
  }
  return home;
}

// du -s -B1 over `dossiers` in one process: its time, and its sizes by folder.
double Du(const std::vector<std::string>& dossiers, std::map<std::string, std::uint64_t>& tailles) {
  std::vector<std::string> arguments{"du", "-s", "-B1"};
  arguments.insert(arguments.end(), dossiers.begin(), dossiers.end());
  std::vector<char*> argv;
  for (std::string& a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::FILE* sortie = std::tmpfile();
  if (sortie == nullptr) throw std::runtime_error("tmpfile a échoué");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fileno(sortie), STDOUT_FILENO);
  const auto debut = Horloge::now();
  pid_t pid = 0;
  const int erreur = posix_spawnp(&pid, "du", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int statut = 0;
  if (erreur == 0) waitpid(pid, &statut, 0);
  const double duree = Secondes(Horloge::now() - debut);
  if (erreur != 0 || !WIFEXITED(statut) || WEXITSTATUS(statut) != 0) {
    std::fclose(sortie);
    throw std::runtime_error("du a échoué");
  }
  std::rewind(sortie);
  unsigned long long octets = 0;
  char chemin[8192];
  tailles.clear();
  while (std::fscanf(sortie, "%llu\t%8191[^\n]\n", &octets, chemin) == 2) tailles[chemin] = octets;
  std::fclose(sortie);
  return duree;
}

int Banc(const Reglages& r) {
  if (r.prefixes < 1 || r.fichiers < 0 || r.tours < 1) throw std::runtime_error("réglages invalides");
  banc::DossierTemporaire temp("tidora-bench-prefixes");
  const Maison maison = Maison::De(Foyer(temp.chemin(), r));

  std::vector<double> trouver, mesurer, du;
  std::vector<Prefixe> prefixes;
  std::map<std::string, std::uint64_t> parDu;
  std::vector<std::string> lecteurs;
  for (int t = 0; t <= r.tours; ++t) {  // round 0 warms the caches
    auto debut = Horloge::now();
    Recherche recherche = TrouverPrefixes(maison);
    ChercherUtilisateurs(recherche.prefixes);
    const double tempsTrouver = Secondes(Horloge::now() - debut);
    prefixes = std::move(recherche.prefixes);
    lecteurs.clear();
    for (const Prefixe& p : prefixes) lecteurs.push_back((p.chemin / "drive_c").string());
    double tempsMesurer = 0, tempsDu = 0;
    auto mesurerNous = [&] {
      debut = Horloge::now();
      MesurerTailles(prefixes);
      tempsMesurer = Secondes(Horloge::now() - debut);
    };
    if (t % 2) {  // neither always meets a warmer cache
      mesurerNous();
      tempsDu = Du(lecteurs, parDu);
    } else {
      tempsDu = Du(lecteurs, parDu);
      mesurerNous();
    }
    if (t == 0) continue;
    trouver.push_back(tempsTrouver);
    mesurer.push_back(tempsMesurer);
    du.push_back(tempsDu);
  }
  long differents = 0;
  for (const Prefixe& p : prefixes) {
    const auto d = parDu.find((p.chemin / "drive_c").string());
    if (d == parDu.end() || !p.taille || *p.taille != d->second) ++differents;
  }
  const double tTrouver = Mediane(trouver), tMesurer = Mediane(mesurer), tDu = Mediane(du);
  const double ratio = tMesurer / tDu;
  const bool compte = static_cast<long>(prefixes.size()) == r.prefixes;
  std::printf("\nPrefixes of a home with %ld prefixes of %ld files, median of %d warm runs\n",
              r.prefixes, r.fichiers, r.tours);
  std::printf("  %-44s %10s %10s\n", "", "time (ms)", "prefixes");
  std::printf("  %-44s %10.1f %10zu   target < 300 ms: %s\n", "finding (with in-use, without sizes)",
              tTrouver * 1000, prefixes.size(), tTrouver < 0.3 ? "met" : "MISSED");
  std::printf("  %-44s %10.1f %10zu\n", "sizes of every drive C", tMesurer * 1000, prefixes.size());
  std::printf("  %-44s %10.1f %10zu\n", "du -s -B1 over the same folders", tDu * 1000, parDu.size());
  std::printf("  %-44s %10.2f              target <= 1.2: %s\n", "ratio sizes / du", ratio,
              ratio <= 1.2 ? "met" : "MISSED");
  if (!compte || differents != 0) {
    std::printf("\nWRONG RESULTS: %zu prefixes found of %ld, %ld sizes differ from du's\n",
                prefixes.size(), r.prefixes, differents);
    return 1;
  }
  return tTrouver < 0.3 && ratio <= 1.2 ? 0 : 2;
}

bool LitEntier(std::string_view arg, std::string_view nom, long& valeur) {
  if (!arg.starts_with(nom)) return false;
  valeur = std::stol(std::string(arg.substr(nom.size())));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    Reglages r;
    for (int i = 1; i < argc; ++i) {
      const std::string_view a = argv[i];
      long v = 0;
      if (a == "--quick") {
        r.fichiers = 40, r.tours = 3;
      } else if (LitEntier(a, "--prefixes=", v)) {
        r.prefixes = v;
      } else if (LitEntier(a, "--files=", v)) {
        r.fichiers = v;
      } else if (LitEntier(a, "--rounds=", v)) {
        r.tours = static_cast<int>(v);
      } else {
        std::fprintf(a == "--help" ? stdout : stderr,
                     "usage: %s [--prefixes=N] [--files=N] [--rounds=N] [--quick]\n", argv[0]);
        return a == "--help" ? 0 : 2;
      }
    }
    return Banc(r);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_prefixes: %s\n", e.what());
    return 1;
  }
}
