// The registry purges of a cleaning run on keys of many values: the typed-address purge
// ("url1".."urlN") and the recent-search purge, each alone in a run. Everything happens in a
// temporary prefix that is removed at the end.
//
//   bench_purge [--values=100000] [--rounds=3] [--quick]
//
// Each round writes a hive holding N values in the purged key (plus the fresh profile's keys),
// as Wine writes one: the key in tree order, its "[key] time" and "#time=" lines, its values
// sorted by name. Then it times one whole TMenage::Lancer() with only that purge chosen. Median
// of the rounds; target: under half a second for 100,000 values.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "bench/Commun.h"
#include "cleaning/Executant.h"
#include "cleaning/Menage.h"
#include "cleaning/PlanMenage.h"
#include "platform/Registry.h"
#include "scanner/Scrute.h"

namespace fs = std::filesystem;
using banc::DossierTemporaire;
using banc::FenetreMuette;
using banc::Horloge;
using banc::LecteurNeuf;
using banc::Mediane;
using banc::Nom;
using banc::Secondes;

namespace {

constexpr const char* kAdresses = "\\Software\\Microsoft\\Internet Explorer\\TypedURLs";
constexpr const char* kRecherches =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Doc Find Spec MRU";

// A key path as Wine spells it in a key line: every "\\" doubled, no leading one.
std::string CheminWine(std::string_view cle) {
  std::string chemin;
  for (const char c : cle.substr(1)) {
    chemin += c;
    if (c == '\\') chemin += '\\';
  }
  return chemin;
}

// The fresh profile's hive with `cle` holding `nb` values named by `nom`, as Wine writes it: the
// key before the profile's own (it sorts first), its values sorted by name.
void EcrireRuche(const fs::path& ruche, const std::string& profil, const char* cle, long nb,
                 std::string (*nom)(long)) {
  std::vector<std::string> noms;
  noms.reserve(static_cast<std::size_t>(nb));
  for (long n = 1; n <= nb; ++n) noms.push_back(nom(n));
  std::sort(noms.begin(), noms.end());
  const std::size_t premiereCle = profil.find("\n[");
  if (premiereCle == std::string::npos) throw std::runtime_error("profil sans clé");
  std::string texte = profil.substr(0, premiereCle);
  texte += "\n[";
  texte += CheminWine(cle);
  texte += "] 1796641473\n#time=1dd863abdab8c9c\n";
  for (const std::string& n : noms) {
    texte += '"';  // appended piece by piece: GCC 12 sees a false overlap in "..." + string&&
    texte += n;
    texte += "\"=\"http://exemple.test/page\"\n";
  }
  texte += profil.substr(premiereCle);
  std::ofstream(ruche, std::ios::binary | std::ios::trunc) << texte;
}

int Banc(long nbValeurs, int tours) {
  if (nbValeurs < 1 || tours < 1) throw std::runtime_error("réglages invalides");
  DossierTemporaire travail("tidora-bench-purge");
  const os::Drive lecteur = LecteurNeuf(travail.chemin() / "prefixe");
  const fs::path ruche = lecteur.prefix() / "user.reg";
  std::ifstream lu(ruche, std::ios::binary);
  const std::string profil{std::istreambuf_iterator<char>(lu), {}};

  TScruteDossier scrute;
  TPlanMenage plan;
  plan.OptionsValidees = true;
  FenetreMuette fenetre;
  TExecutant executant(lecteur);
  TMenage menage(scrute, plan, fenetre, executant);

  struct Cas {
    const char* titre;
    const char* cle;
    std::size_t entree;  // in TableRegistre
    std::string (*nom)(long);
  };
  const Cas cas[] = {
      {"typed addresses url1..urlN", kAdresses, 1, [](long n) { return Nom("url", n); }},
      {"recent searches, every value", kRecherches, 0, [](long n) { return Nom("", n); }},
  };
  std::printf("Registry purges, %ld values, median of %d rounds\n", nbValeurs, tours);
  std::printf("  %-40s %10s\n", "purge", "time (ms)");
  bool justes = true, atteint = true;
  for (const Cas& c : cas) {
    plan.Clear();
    plan.TableRegistre[c.entree] = c.cle;
    std::vector<double> temps;
    for (int t = 0; t < tours; ++t) {
      EcrireRuche(ruche, profil, c.cle, nbValeurs, c.nom);
      const auto debut = Horloge::now();
      menage.Lancer();
      temps.push_back(Secondes(Horloge::now() - debut));
      const auto cle = lecteur.openKey(c.cle);
      justes = justes && cle && cle->valueNames().empty();
    }
    const double m = Mediane(temps);
    atteint = atteint && m < 0.5;
    std::printf("  %-40s %10.1f   target < 500 ms: %s\n", c.titre, m * 1000,
                m < 0.5 ? "met" : "MISSED");
  }
  if (!justes) {
    std::printf("\nWRONG RESULT: a purged key still holds values\n");
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    long nbValeurs = 100000;
    int tours = 3;
    for (int i = 1; i < argc; ++i) {
      const std::string_view a = argv[i];
      if (a == "--quick") {
        nbValeurs = 10000, tours = 3;
      } else if (a.rfind("--values=", 0) == 0) {
        nbValeurs = std::stol(std::string(a.substr(9)));
      } else if (a.rfind("--rounds=", 0) == 0) {
        tours = std::stoi(std::string(a.substr(9)));
      } else {
        std::fprintf(a == "--help" ? stdout : stderr,
                     "usage: %s [--values=N] [--rounds=N] [--quick]\n", argv[0]);
        return a == "--help" ? 0 : 2;
      }
    }
    return Banc(nbValeurs, tours);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_purge: %s\n", e.what());
    return 1;
  }
}
