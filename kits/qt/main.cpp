// Start-up: the command line first; then the application and its title, and either the two
// windows in start-up order, shown until the main window closes, or the window that chooses the
// prefix they open on (--choisir).
#include <QApplication>
#include <QPointer>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "kits/ligne/Ligne.h"
#include "kits/qt/Demarrage.h"
#include "kits/qt/FenetreChoix.h"
#include "kits/qt/Garde.h"
#include "kits/qt/Messages.h"
#include "platform/Prefix.h"
#include "platform/PrefixCheck.h"

namespace {

// A display the windows could open on.
bool AfficheurDisponible() {
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* valeur = std::getenv(variable);
    if (valeur != nullptr && *valeur != '\0') return true;
  }
  return false;
}

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
  // Options, the list of prefixes, a refused prefix: answered with no window and no display.
  Ouverture ouverture = Ouverture::Fenetres;
  std::string refus;
  if (const std::optional<int> fin = LigneDeCommande(argc, argv, ouverture, &refus)) {
    // Started from a menu, with no terminal to read stderr: the refused prefix in a box.
    if (!refus.empty() && ::isatty(STDERR_FILENO) == 0 && AfficheurDisponible()) {
      QApplication application(argc, argv);
      QApplication::setApplicationDisplayName(QStringLiteral("Tidora 2000"));
      AfficherErreur(QString::fromStdString(refus));
    }
    return *fin;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tidora2000"));
  QApplication::setApplicationDisplayName(QStringLiteral("Tidora 2000"));
  // The menu entry installed as tidora2000.desktop: its name and icon go with the windows.
  QGuiApplication::setDesktopFileName(QStringLiteral("tidora2000"));
  // Closing the main window ends the program, even with the options window shown.
  QApplication::setQuitOnLastWindowClosed(false);

  std::unique_ptr<Fenetres> fenetres;
  if (ouverture == Ouverture::Fenetres) {
    fenetres = OuvrirFenetres();
    return QApplication::exec();
  }

  QPointer<FenetreChoix> choix;
  Garde([&] { choix = new FenetreChoix(Maison::DuSysteme()); });
  if (!choix) return 1;
  choix->setAttribute(Qt::WA_DeleteOnClose);
  // Closed without opening a prefix: the program ends.
  QObject::connect(choix, &QObject::destroyed, &application, [&fenetres] {
    if (!fenetres) QCoreApplication::quit();
  });
  QObject::connect(choix, &FenetreChoix::Ouvrir, &application,
                   [&fenetres, &choix](const std::filesystem::path& dossier) {
                     Garde([&] {
                       os::setPrefixFolder(dossier);
                       os::checkPrefixFolder(dossier);
                       fenetres = OuvrirFenetres();
                       choix->close();
                     });
                   });
  choix->show();
  return QApplication::exec();
}
