// A cleaning run of the temporary folder against `find ROOT -type f -delete` on an identical
// copy of the tree. Everything happens in a temporary folder that is removed at the end.
//
//   bench_menage [--files=50000] [--rounds=3] [--quick]
//
// Each round builds both trees afresh (files of a few bytes in 50 x 20 folders), then times one
// whole TMenage::Lancer() with only the temporary folder chosen (in this process, window calls
// doing nothing) and one `find` process; which goes first alternates. Median of the rounds.
// Both trees are flushed to disk (sync) before the timings.
// The run also removes the emptied sub-folders, which find does not: that is counted against it.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "bench/Commun.h"
#include "cleaning/Executant.h"
#include "cleaning/Menage.h"
#include "cleaning/PlanMenage.h"
#include "scanner/Scrute.h"

namespace fs = std::filesystem;
using banc::Arbre;
using banc::DossierTemporaire;
using banc::FenetreMuette;
using banc::Horloge;
using banc::LecteurC;
using banc::LecteurNeuf;
using banc::Mediane;
using banc::Secondes;

namespace {

// The ratio the run must stay under.
constexpr double kCible = 1.05;

int Banc(long nbFichiers, int tours) {
  if (nbFichiers < 1 || tours < 1) throw std::runtime_error("réglages invalides");
  DossierTemporaire travail("tidora-bench-menage");
  const os::Drive lecteur = LecteurNeuf(travail.chemin() / "prefixe");
  const std::string temp = lecteur.windowsDirectory() + "\\TEMP";
  const fs::path hoteTemp = LecteurC(lecteur, "windows/temp");
  const fs::path copie = travail.chemin() / "copie";

  TScruteDossier scrute;
  TPlanMenage plan;
  plan.TableDossiers[4] = temp;
  plan.OptionsValidees = true;
  FenetreMuette fenetre;
  TExecutant executant(lecteur);
  TMenage menage(scrute, plan, fenetre, executant);

  std::printf(
      "Cleaning run against find -delete, %ld files, %d rounds (building the trees "
      "takes a while)...\n",
      nbFichiers, tours);
  std::fflush(stdout);
  std::vector<double> tempsRun, tempsFind;
  bool justes = true;
  for (int t = 0; t < tours; ++t) {
    Arbre(hoteTemp, nbFichiers);
    Arbre(copie, nbFichiers);
    // Both trees on disk, as a temporary folder's files usually are: otherwise the older tree
    // would be half written back and the younger still in the cache, and deleting them costs
    // differently.
    ::sync();
    auto mesurerFind = [&] {
      const auto debut = Horloge::now();
      const std::string commande = "find '" + copie.string() + "' -type f -delete";
      if (std::system(commande.c_str()) != 0) throw std::runtime_error("find a échoué");
      tempsFind.push_back(Secondes(Horloge::now() - debut));
    };
    auto mesurerRun = [&] {
      const auto debut = Horloge::now();
      menage.Lancer();
      tempsRun.push_back(Secondes(Horloge::now() - debut));
    };
    // Alternate which goes first, so that neither always meets the other's leftovers.
    if (t % 2 == 0) {
      mesurerFind();
      mesurerRun();
    } else {
      mesurerRun();
      mesurerFind();
    }
    justes = justes && menage.NbFichiers == static_cast<std::uint64_t>(nbFichiers) &&
             menage.NbEchecs == 0 && fs::is_empty(hoteTemp);
    fs::remove_all(copie);
  }

  const double tr = Mediane(tempsRun), tf = Mediane(tempsFind);
  std::printf("\nCleaning run, temporary folder only, median of %d rounds\n", tours);
  std::printf("  %-40s %10s %12s\n", ("delete " + std::to_string(nbFichiers) + " files").c_str(),
              "time (ms)", "files/s");
  std::printf("  %-40s %10.1f %12.0f\n", "TMenage::Lancer", tr * 1000, nbFichiers / tr);
  std::printf("  %-40s %10.1f %12.0f\n", "find ROOT -type f -delete", tf * 1000, nbFichiers / tf);
  std::printf("  %-40s %10.2f   target <= %.2f: %s\n", "ratio run / find", tr / tf, kCible,
              tr / tf <= kCible ? "met" : "MISSED");
  if (!justes) {
    std::printf("\nWRONG COUNTS: the run did not delete exactly the %ld files\n", nbFichiers);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  long nbFichiers = 50000, tours = 3;
  return banc::Principal(
      argc, argv, "bench_menage", {{"--files=", &nbFichiers}, {"--rounds=", &tours}},
      [&] { nbFichiers = 5000, tours = 3; },
      [&] { return Banc(nbFichiers, static_cast<int>(tours)); });
}
