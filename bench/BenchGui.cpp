// A cleaning run with the windows live on a virtual X display (the main window showing its
// labels, the queue drained before every entry) against the same run with no window at all.
// Prints both times and their ratio (windows / headless).
//
//   bench_gui [--quick] [--files=N (50000)] [--rounds=N (3)]
//
// Starts its own Xvfb on a free display (:137 and up) and stops it at the end.
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "kits/qt/Fenetres.h"
#include "kits/qt/Messages.h"
#include "bench/Commun.h"
#include "cleaning/Executant.h"
#include "cleaning/Menage.h"
#include "cleaning/PlanMenage.h"
#include "scanner/Scrute.h"

namespace fs = std::filesystem;
using banc::ComparerFenetresEtSans;
using banc::DossierTemporaire;
using banc::FenetreMuette;
using banc::LecteurC;
using banc::LecteurNeuf;
using banc::Nom;

namespace {

// An Xvfb server of our own; stopped when this object dies.
class Xvfb {
 public:
  Xvfb() {
    for (int n = 137; n < 200 && pid_ <= 0; ++n) {
      const std::string verrou = Nom("/tmp/.X", n, "-lock");
      const std::string socket = Nom("/tmp/.X11-unix/X", n);
      if (fs::exists(verrou) || fs::exists(socket)) continue;
      const std::string ecran = Nom(":", n);
      const pid_t pid = fork();
      if (pid == 0) {
        if (std::freopen("/dev/null", "w", stderr) == nullptr) _exit(127);
        execlp("Xvfb", "Xvfb", ecran.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
      }
      for (int i = 0; i < 100 && !fs::exists(socket); ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      // A server that lost the race for this number exits at once: give it the time to.
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      if (fs::exists(socket) && waitpid(pid, nullptr, WNOHANG) == 0) {
        pid_ = pid;
        ecran_ = ecran;
      } else {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
      }
    }
  }
  ~Xvfb() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  Xvfb(const Xvfb&) = delete;
  Xvfb& operator=(const Xvfb&) = delete;
  const std::string& Ecran() const { return ecran_; }

 private:
  pid_t pid_ = -1;
  std::string ecran_;
};

}  // namespace

int main(int argc, char** argv) {
  int nbFichiers = 50000, tours = 3;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--quick") {
      nbFichiers = 5000;
      tours = 1;
    } else if (arg.rfind("--files=", 0) == 0) {
      nbFichiers = std::atoi(arg.c_str() + 8);
    } else if (arg.rfind("--rounds=", 0) == 0) {
      tours = std::atoi(arg.c_str() + 9);
    } else {
      std::printf("bench_gui [--quick] [--files=N (50000)] [--rounds=N (3)]\n");
      return arg == "--help" ? 0 : 1;
    }
  }
  if (nbFichiers <= 0 || tours <= 0) return 1;

  Xvfb serveur;
  if (serveur.Ecran().empty()) {
    std::fprintf(stderr, "bench_gui: Xvfb could not be started (package xvfb)\n");
    return 1;
  }
  setenv("DISPLAY", serveur.Ecran().c_str(), 1);
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  QApplication application(argc, argv);
  QApplication::setApplicationDisplayName(QStringLiteral("Tidora 2000"));

  std::optional<DossierTemporaire> travail;
  std::optional<os::Drive> lecteur;
  try {
    travail.emplace("tidora-bench-gui");
    lecteur.emplace(LecteurNeuf(travail->chemin() / "prefixe"));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_gui: %s\n", e.what());
    return 1;
  }
  const std::string temp = lecteur->windowsDirectory() + "\\TEMP";
  const fs::path hoteTemp = LecteurC(*lecteur, "windows/temp");

  // The windows as start-up makes them on the drive, the main one shown.
  Fenetres fenetres(std::move(*lecteur));
  FenetreHabillee& form = fenetres.principale;
  form.show();
  for (int i = 0; i < 200 && !(form.windowHandle() && form.windowHandle()->isExposed()); ++i) {
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::string resume;
  InterceptionMessages = [&](TypeMessage, const QString& texte) { resume = texte.toStdString(); };

  TScruteDossier scrute;
  TPlanMenage plan;
  plan.TableDossiers[4] = temp;
  plan.OptionsValidees = true;
  FenetreMuette muette;
  TExecutant executant(fenetres.lecteur);
  TMenage sansFenetre(scrute, plan, muette, executant);

  const int resultat = ComparerFenetresEtSans(
      "bench_gui", "cleaning run with the windows live (Xvfb) vs headless", tours, nbFichiers,
      hoteTemp, [&] {
        sansFenetre.Lancer();
        return sansFenetre.NbFichiers;
      },
      [&] {
        PlanMenage.Clear();
        PlanMenage.TableDossiers[4] = temp;
        PlanMenage.OptionsValidees = true;
        fenetres.form1.Shape2MouseDown(TMouseButton::mbLeft);
        return fenetres.form1.Menage.NbFichiers;
      });
  InterceptionMessages = nullptr;
  return resultat;
}
