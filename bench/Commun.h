#pragma once
// Helpers shared by the benchmark programs: a window that shows nothing, a temporary folder that
// cleans up after itself, a drive of the benchmark's own in it, the tree of throw-away files, and
// timing.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "cleaning/FenetreMenage.h"
#include "platform/Drive.h"

namespace banc {

using Horloge = std::chrono::steady_clock;

// A window for cleaning runs that shows nothing and asks nothing.
struct FenetreMuette : IFenetreMenage {
  void AfficherEnCours(const std::string&) override {}
  void AfficherNbFichiers(const std::string&) override {}
  void AfficherTaille(const std::string&) override {}
  void MontrerOptions() override {}
  void Message(const std::string&) override {}
};

// A fresh folder in the system's temporary folder, removed with everything in it when the object
// dies.
class DossierTemporaire {
 public:
  // Creates "<temp>/<nom>-XXXXXX"; throws when it cannot.
  explicit DossierTemporaire(std::string_view nom);
  ~DossierTemporaire();
  DossierTemporaire(const DossierTemporaire&) = delete;
  DossierTemporaire& operator=(const DossierTemporaire&) = delete;
  // The folder on the host.
  const std::filesystem::path& chemin() const { return chemin_; }

 private:
  std::filesystem::path chemin_;
};

// A drive of the benchmark's own in the temporary folder `dossier`: the program's own fresh
// prefix on Linux (no samples), a sandbox on Windows (its scratch key named after the folder, so
// give it the DossierTemporaire itself). Throws os::SystemError.
os::Drive LecteurNeuf(const std::filesystem::path& dossier);
// The host folder of drive C of such a drive; `relatif` ("windows/temp") goes below it.
std::filesystem::path LecteurC(const os::Drive& lecteur, const std::filesystem::path& relatif = {});

// Writes `nbFichiers` "*.tmp" files of a few bytes spread evenly over 50 folders of 20
// sub-folders each under `racine`.
void Arbre(const std::filesystem::path& racine, long nbFichiers);

// A numeric option "--name=N" of a benchmark program, and where its value goes.
struct Option {
  std::string_view nom;  // "--files="
  long* valeur;
};

// The main of a benchmark program: reads `options` and "--quick" (which sets the small sizes
// through `rapide`, options after it still counting) from the command line, then returns
// banc(). An unknown option prints the usage and gives 2; a failure is told on stderr and
// gives 1.
int Principal(int argc, char** argv, const char* programme, std::initializer_list<Option> options,
              const std::function<void()>& rapide, const std::function<int()>& banc);

// `avant`, the number `n` in decimal, then `apres`: "f" 12 ".tmp" gives "f12.tmp".
std::string Nom(std::string_view avant, long n, std::string_view apres = {});

// Seconds in `d`.
double Secondes(Horloge::duration d);

// Median of `v` (not empty).
double Mediane(std::vector<double> v);

// A cleaning run with the windows live against the same run headless: `tours` rounds, each on a
// fresh tree of `nbFichiers` files (see Arbre) under `hoteTemp`, alternating which goes first so
// that neither always meets a warmer cache. Each callable runs once and returns the files it
// counted. Prints the table under `titre`; returns 0 when the ratio meets its target (<= 1.2),
// 2 when it does not, 1 when a run missed files (said on stderr with `programme`).
int ComparerFenetresEtSans(const char* programme, const char* titre, int tours, long nbFichiers,
                           const std::filesystem::path& hoteTemp,
                           const std::function<std::uint64_t()>& sansFenetre,
                           const std::function<std::uint64_t()>& avecFenetres);

}  // namespace banc
