// The windows on a virtual X display, two parts:
// - a cleaning run with the skinned windows live (the main window showing its labels, the queue
//   drained before every entry) against the same run with no window at all: both times and their
//   ratio (windows / headless), target <= 1.2;
// - the chooser on a home of Proton prefixes (the home of bench_apercus): the time until it shows
//   its rows (target <= 0.3 s, the previews not awaited), the time until every « À libérer » is
//   known against the time of `--apercu --tous --tsv` on the same home (ratio target <= 1.2), and
//   the longest wait of an event while the previews run, measured by a timer due every 10 ms
//   (target <= 50 ms). The window's « À libérer » must add up to what the default choices take.
//
//   bench_gui [--quick] [--files=N (50000)] [--rounds=N (3)] [--prefixes=N (200)]
//             [--prefix-files=N (2000)]
//
// Starts its own Xvfb on a free display (:137 and up) and stops it at the end.
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include "bench/Commun.h"
#include "bench/FoyerProton.h"
#include "cleaning/Executant.h"
#include "cleaning/Menage.h"
#include "cleaning/PlanMenage.h"
#include "kits/ligne/SortieApercu.h"
#include "kits/qt/FenetreChoix.h"
#include "kits/qt/Fenetres.h"
#include "kits/qt/Messages.h"
#include "kits/qt/ModelePrefixes.h"
#include "prefixes/Apercus.h"
#include "prefixes/Liste.h"
#include "scanner/Scrute.h"

namespace fs = std::filesystem;
using banc::ComparerFenetresEtSans;
using banc::DossierTemporaire;
using banc::FenetreMuette;
using banc::Horloge;
using banc::LecteurC;
using banc::LecteurNeuf;
using banc::Mediane;
using banc::Nom;
using banc::Secondes;

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

// Processes events until `fenetre` is exposed on the display (2 s at most), then painted.
void Exposer(QWidget& fenetre) {
  const Horloge::time_point limite = Horloge::now() + std::chrono::seconds(2);
  while (!(fenetre.windowHandle() && fenetre.windowHandle()->isExposed()) &&
         Horloge::now() < limite) {
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  QCoreApplication::processEvents();
}

// The cleaning run with the skinned windows against the same run headless.
int Nettoyage(long nbFichiers, int tours) {
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
  Exposer(form);
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
      hoteTemp,
      [&] {
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

constexpr double kCibleLignes = 0.3;    // seconds until the rows are shown
constexpr double kCibleTous = 1.2;      // every « À libérer » known / --apercu --tous
constexpr double kCibleAttente = 0.05;  // the longest wait of an event, in seconds

// One round of the chooser on the home of `maison`.
struct TourChoix {
  double lignes = 0;       // until the rows are shown
  int connusAffiches = 0;  // « À libérer » known when they were
  double tous = 0;         // until every « À libérer » is known
  double attente = 0;      // the longest wait of the 10 ms timer's event past its time
  double fil = 0;          // the window thread's CPU time meanwhile
  double filLignes = 0;    // the same until the rows were shown
  std::uint64_t fichiers = 0, octets = 0;
};

// The CPU time this thread has used, in seconds.
double TempsDuFil() {
  rusage r{};
  ::getrusage(RUSAGE_THREAD, &r);
  return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
         static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

TourChoix UnTourDuChoix(const Maison& maison, long nbPrefixes) {
  TourChoix t;
  const double cpu = TempsDuFil();
  const Horloge::time_point debut = Horloge::now();
  FenetreChoix fenetre(maison);
  fenetre.show();
  Exposer(fenetre);
  t.lignes = Secondes(Horloge::now() - debut);
  t.filLignes = TempsDuFil() - cpu;
  ModelePrefixes& modele = *fenetre.Modele();
  if (modele.rowCount() != nbPrefixes) {
    throw std::runtime_error("le choix montre " + std::to_string(modele.rowCount()) + " préfixes");
  }
  for (int i = 0; i < modele.rowCount(); ++i) t.connusAffiches += modele.Resume(i) ? 1 : 0;

  // A timer due every 10 ms: how late each of its events comes is how long an event waits.
  QEventLoop boucle;
  QTimer horloge;
  horloge.setTimerType(Qt::PreciseTimer);
  horloge.setInterval(10);
  Horloge::time_point precedent = Horloge::now();
  QObject::connect(&horloge, &QTimer::timeout, [&] {
    const Horloge::time_point maintenant = Horloge::now();
    t.attente = std::max(t.attente, Secondes(maintenant - precedent) - 0.010);
    precedent = maintenant;
    if (modele.TousConnus()) boucle.quit();
  });
  QObject::connect(&modele, &QAbstractItemModel::dataChanged, [&] {
    if (modele.TousConnus()) boucle.quit();
  });
  horloge.start();
  if (!modele.TousConnus()) boucle.exec();
  t.tous = Secondes(Horloge::now() - debut);
  t.fil = TempsDuFil() - cpu;
  for (int i = 0; i < modele.rowCount(); ++i) {
    t.fichiers += modele.Resume(i)->nbFichiers;
    t.octets += modele.Resume(i)->taille;
  }
  return t;
}

// `--apercu --tous --tsv` on the home of `maison`, in this process: its time.
double ApercuTous(const Maison& maison, std::uint64_t& fichiers, std::uint64_t& proteges) {
  const Horloge::time_point debut = Horloge::now();
  Recherche r = TrouverPrefixes(maison);
  ChercherUtilisateurs(r.prefixes);
  const std::vector<ApercuDuPrefixe> resultats = ApercevoirTous(r.prefixes, ChoixParDefaut());
  const std::string sortie = LignesTsvApercus(resultats);
  const double temps = Secondes(Horloge::now() - debut);
  fichiers = proteges = 0;
  for (const ApercuDuPrefixe& a : resultats) {
    if (!a.apercu) throw std::runtime_error("pas d'aperçu de " + a.prefixe.chemin.string());
    fichiers += a.apercu->nbFichiers;
    proteges += a.apercu->proteges.size();
  }
  return sortie.empty() ? 0 : temps;
}

int Choix(long nbPrefixes, long nbFichiers, int tours) {
  DossierTemporaire temp("tidora-bench-choix");
  std::printf("\nBuilding a home of %ld Proton prefixes of about %ld files...\n", nbPrefixes,
              nbFichiers);
  std::fflush(stdout);
  banc::Attendu attendu;
  // The home alone: its configuration folder (no choices saved: the defaults) is the window's.
  const Maison maison =
      Maison::De(banc::FoyerProton(temp.chemin(), nbPrefixes, nbFichiers, attendu));
  std::vector<double> lignes, tous, apercus, attentes, fils, filsLignes;
  int connus = 0;
  for (int t = 0; t <= tours; ++t) {  // round 0 warms the caches
    std::uint64_t pris = 0, proteges = 0;
    // Alternately first, so that neither always meets a warmer cache.
    double apercu = 0;
    TourChoix c;
    if (t % 2 == 0) {
      apercu = ApercuTous(maison, pris, proteges);
      c = UnTourDuChoix(maison, nbPrefixes);
    } else {
      c = UnTourDuChoix(maison, nbPrefixes);
      apercu = ApercuTous(maison, pris, proteges);
    }
    if (static_cast<long>(pris) != attendu.pris ||
        static_cast<long>(proteges) != attendu.proteges || c.fichiers != pris) {
      std::printf(
          "WRONG RESULTS: %llu files taken by the previews, %llu in the window, %ld "
          "expected; %llu protected of %ld\n",
          static_cast<unsigned long long>(pris), static_cast<unsigned long long>(c.fichiers),
          attendu.pris, static_cast<unsigned long long>(proteges), attendu.proteges);
      return 1;
    }
    if (t == 0) continue;
    lignes.push_back(c.lignes);
    tous.push_back(c.tous);
    apercus.push_back(apercu);
    attentes.push_back(c.attente);
    fils.push_back(c.fil);
    filsLignes.push_back(c.filLignes);
    connus = std::max(connus, c.connusAffiches);
  }
  const double tl = Mediane(lignes), tt = Mediane(tous), ta = Mediane(apercus);
  const double attente = *std::max_element(attentes.begin(), attentes.end());
  const bool ok = tl <= kCibleLignes && tt / ta <= kCibleTous && attente <= kCibleAttente;
  auto dit = [](bool b) { return b ? "met" : "MISSED"; };
  std::printf("The chooser on %ld prefixes of about %ld files, median of %d warm rounds\n",
              nbPrefixes, nbFichiers, tours);
  std::printf("  %-46s %9.1f ms   target <= %.0f ms: %s\n", "rows shown", tl * 1000,
              kCibleLignes * 1000, dit(tl <= kCibleLignes));
  std::printf("  %-46s %9d of %ld (the previews are not awaited)\n",
              "« À libérer » known when shown, at most", connus, nbPrefixes);
  std::printf("  %-46s %9.1f ms\n", "every « À libérer » known", tt * 1000);
  std::printf("  %-46s %9.1f ms (%.1f ms until the rows were shown)\n",
              "  the window's own thread's CPU time in it", Mediane(fils) * 1000,
              Mediane(filsLignes) * 1000);
  std::printf("  %-46s %9.1f ms\n", "--apercu --tous --tsv (library)", ta * 1000);
  std::printf("  %-46s %9.2f      target <= %.2f: %s\n", "ratio chooser / --apercu --tous", tt / ta,
              kCibleTous, dit(tt / ta <= kCibleTous));
  std::printf("  %-46s %9.1f ms   target <= %.0f ms: %s\n",
              "longest wait of an event while previewing", attente * 1000, kCibleAttente * 1000,
              dit(attente <= kCibleAttente));
  return ok ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  long nbFichiers = 50000, tours = 3, prefixes = 200, fichiersPrefixe = 2000;
  return banc::Principal(
      argc, argv, "bench_gui",
      {{"--files=", &nbFichiers},
       {"--rounds=", &tours},
       {"--prefixes=", &prefixes},
       {"--prefix-files=", &fichiersPrefixe}},
      [&] {
        nbFichiers = 5000;
        tours = 1;
        prefixes = 40;
        fichiersPrefixe = 400;
      },
      [&] {
        if (nbFichiers <= 0 || tours <= 0 || prefixes <= 0 || fichiersPrefixe < 100) {
          throw std::runtime_error("invalid sizes");
        }
        Xvfb serveur;
        if (serveur.Ecran().empty()) {
          throw std::runtime_error("Xvfb could not be started (package xvfb)");
        }
        setenv("DISPLAY", serveur.Ecran().c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        QApplication application(argc, argv);
        QApplication::setApplicationDisplayName(QStringLiteral("Tidora 2000"));
        const int nettoyage = Nettoyage(nbFichiers, static_cast<int>(tours));
        const int choix = Choix(prefixes, fichiersPrefixe, static_cast<int>(tours));
        // A failure first, then a target missed.
        if (nettoyage == 1 || choix == 1) return 1;
        return std::max(nettoyage, choix);
      });
}
