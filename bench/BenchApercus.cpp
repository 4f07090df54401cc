// The preview of every prefix of a home at once (what `tidora2000 --apercu --tous --tsv` does:
// finding the prefixes, their in-use check, every preview with the default choices, the output)
// against `du -s` of the same drives C run one after another. Everything happens in a temporary
// folder removed at the end; the real home is never looked at.
//
//   bench_apercus [--prefixes=200] [--files=2000] [--rounds=3] [--quick]
//
// The home holds Steam's prefixes in two libraries, each drive C shaped as Proton leaves one
// (the system's folders, a game's files, the temporary folders, a profile with saves), about
// `files` files each. The previews must find exactly the files the default choices take, and
// leave exactly the saves they protect (else the benchmark fails). Times: wall clock, median of
// the rounds after one warm-up. Target: previews / du <= 0.8.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/Commun.h"
#include "bench/FoyerProton.h"
#include "kits/ligne/SortieApercu.h"
#include "prefixes/Apercus.h"
#include "prefixes/Liste.h"

extern char** environ;

namespace fs = std::filesystem;
using banc::Horloge;
using banc::Mediane;
using banc::Secondes;

namespace {

constexpr double kCible = 0.8;

// `du -s -B1 <drive>` for each drive, one after another: their time.
double DuUnParUn(const std::vector<std::string>& lecteurs) {
  const auto debut = Horloge::now();
  for (const std::string& lecteur : lecteurs) {
    std::vector<std::string> arguments{"du", "-s", "-B1", lecteur};
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int erreur = posix_spawnp(&pid, "du", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int statut = 0;
    if (erreur != 0 || waitpid(pid, &statut, 0) < 0 || !WIFEXITED(statut) ||
        WEXITSTATUS(statut) != 0) {
      throw std::runtime_error("du a échoué sur " + lecteur);
    }
  }
  return Secondes(Horloge::now() - debut);
}

int Banc(long nbPrefixes, long nbFichiers, int tours) {
  if (nbPrefixes < 1 || nbFichiers < 100 || tours < 1) throw std::runtime_error("réglages invalides");
  banc::DossierTemporaire temp("tidora-bench-apercus");
  std::printf("Building a home of %ld Proton prefixes of about %ld files...\n", nbPrefixes,
              nbFichiers);
  std::fflush(stdout);
  banc::Attendu attendu;
  const Maison maison = Maison::De(banc::FoyerProton(temp.chemin(), nbPrefixes, nbFichiers, attendu));

  std::vector<double> tApercus, tDu;
  std::uint64_t pris = 0, proteges = 0;
  std::size_t trouves = 0, octetsSortie = 0;
  for (int t = 0; t <= tours; ++t) {  // round 0 warms the caches
    std::vector<std::string> lecteurs;
    double apercus = 0;
    auto nous = [&] {
      const auto debut = Horloge::now();
      Recherche r = TrouverPrefixes(maison);
      ChercherUtilisateurs(r.prefixes);
      const std::vector<ApercuDuPrefixe> resultats = ApercevoirTous(r.prefixes, ChoixParDefaut());
      const std::string sortie = LignesTsvApercus(resultats);
      apercus = Secondes(Horloge::now() - debut);
      octetsSortie = sortie.size();
      trouves = r.prefixes.size();
      pris = proteges = 0;
      lecteurs.clear();
      for (const ApercuDuPrefixe& a : resultats) {
        lecteurs.push_back((a.prefixe.chemin / "drive_c").string());
        if (!a.apercu) throw std::runtime_error("pas d'aperçu de " + a.prefixe.chemin.string() + " : " + a.erreur);
        pris += a.apercu->nbFichiers;
        proteges += a.apercu->proteges.size();
      }
    };
    nous();  // the drives' list comes from the previews
    const double du = DuUnParUn(lecteurs);
    if (t == 0) continue;
    tApercus.push_back(apercus);
    tDu.push_back(du);
  }
  const double ta = Mediane(tApercus), td = Mediane(tDu);
  std::printf("\nEvery prefix previewed at once against du -s of each drive C, median of %d warm runs\n",
              tours);
  std::printf("  %ld prefixes, %ld files each; %llu files taken, %llu saves protected\n",
              nbPrefixes, nbFichiers, static_cast<unsigned long long>(pris),
              static_cast<unsigned long long>(proteges));
  std::printf("  %-44s %10s\n", "", "time (ms)");
  std::printf("  %-44s %10.1f   (%zu bytes of output)\n", "--apercu --tous --tsv (library)",
              ta * 1000, octetsSortie);
  std::printf("  %-44s %10.1f\n", "du -s of each drive C, one after another", td * 1000);
  std::printf("  %-44s %10.2f   target <= %.2f: %s\n", "ratio previews / du", ta / td, kCible,
              ta / td <= kCible ? "met" : "MISSED");
  if (static_cast<long>(trouves) != nbPrefixes || static_cast<long>(pris) != attendu.pris ||
      static_cast<long>(proteges) != attendu.proteges) {
    std::printf("\nWRONG RESULTS: %zu prefixes of %ld, %llu files taken of %ld, %llu protected of %ld\n",
                trouves, nbPrefixes, static_cast<unsigned long long>(pris), attendu.pris,
                static_cast<unsigned long long>(proteges), attendu.proteges);
    return 1;
  }
  return ta / td <= kCible ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  long prefixes = 200, fichiers = 2000, tours = 3;
  return banc::Principal(
      argc, argv, "bench_apercus",
      {{"--prefixes=", &prefixes}, {"--files=", &fichiers}, {"--rounds=", &tours}},
      [&] {
        prefixes = 40;
        fichiers = 400;
        tours = 2;
      },
      [&] { return Banc(prefixes, fichiers, static_cast<int>(tours)); });
}
