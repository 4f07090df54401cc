// Start-up: the application and its title, the two windows in start-up order, then the main
// window until it closes.
#include <QApplication>
#include <QFile>

#include "app/Echantillons.h"
#include "app/FichierAide.h"
#include "kits/qt/Fenetres.h"
#include "kits/ligne/Ligne.h"
#include "kits/qt/Garde.h"

int main(int argc, char* argv[]) {
  // Options, the list of prefixes, a refused prefix: answered with no window and no display.
  if (const std::optional<int> fin = LigneDeCommande(argc, argv)) return *fin;
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tidora2000"));
  QApplication::setApplicationDisplayName(QStringLiteral("Tidora 2000"));
  // The menu entry installed as tidora2000.desktop: its name and icon go with the windows.
  QGuiApplication::setDesktopFileName(QStringLiteral("tidora2000"));
  // Closing the main window ends the program, even with the options window shown.
  QApplication::setQuitOnLastWindowClosed(false);

  // A brand-new profile gets a few sample traces; the help file goes beside the executable.
  Garde(PreparerProfil);
  Garde([] {
    QFile aide(QStringLiteral(":/skins/Tidora2000.hlp"));
    if (aide.open(QIODevice::ReadOnly)) InstallerFichierAide(aide.readAll().toStdString());
  });

  Fenetres fenetres;
  QObject::connect(&fenetres.principale, &FenetreHabillee::Fermee, &application,
                   &QCoreApplication::quit);
  fenetres.principale.show();
  return QApplication::exec();
}
