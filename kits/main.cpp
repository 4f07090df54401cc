// The Linux program: its command line first, answered with no window and no display when it can
// be (options, the list of prefixes, a preview, a cleaning, a refused prefix); then the Qt
// windows.
#include <sys/resource.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "kits/ligne/Ligne.h"
#include "kits/qt/Lancement.h"

namespace {

// A walk holds one open folder for each level it is in (10000 levels at most): the soft limit
// of open files, often 1024, is raised to what the system allows.
void OuvrirAssezDeDossiers() {
  rlimit limite{};
  if (::getrlimit(RLIMIT_NOFILE, &limite) == 0 && limite.rlim_cur < limite.rlim_max) {
    limite.rlim_cur = limite.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limite);
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  OuvrirAssezDeDossiers();
  Ouverture ouverture;
  std::string refus;
  if (const std::optional<int> fin = LigneDeCommande(argc, argv, ouverture, &refus)) {
    // Started from a menu, with no terminal to read stderr: the refused prefix in a box.
    if (!refus.empty() && ::isatty(STDERR_FILENO) == 0) MontrerRefus(argc, argv, refus);
    return *fin;
  }
  return LancerFenetres(argc, argv, std::move(ouverture));
}
