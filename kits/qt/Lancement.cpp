#include "kits/qt/Lancement.h"

#include <QApplication>
#include <QPointer>

#include <cstdlib>
#include <memory>

#include "kits/qt/Demarrage.h"
#include "kits/qt/FenetreChoix.h"
#include "kits/qt/Garde.h"
#include "kits/qt/Messages.h"
#include "platform/Drive.h"

namespace {

// A display the windows could open on.
bool AfficheurDisponible() {
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* valeur = std::getenv(variable);
    if (valeur != nullptr && *valeur != '\0') return true;
  }
  return false;
}

}  // namespace

void MontrerRefus(int argc, char* argv[], const std::string& refus) {
  if (!AfficheurDisponible()) return;
  QApplication application(argc, argv);
  QApplication::setApplicationDisplayName(QStringLiteral("Tidora 2000"));
  AfficherErreur(QString::fromStdString(refus));
}

int LancerFenetres(int argc, char* argv[], Ouverture ouverture) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tidora2000"));
  QApplication::setApplicationDisplayName(QStringLiteral("Tidora 2000"));
  // The menu entry installed as tidora2000.desktop: its name and icon go with the windows.
  QGuiApplication::setDesktopFileName(QStringLiteral("tidora2000"));
  // Closing the main window ends the program, even with the options window shown.
  QApplication::setQuitOnLastWindowClosed(false);

  std::unique_ptr<Fenetres> fenetres;
  if (ouverture.genre == Ouverture::Genre::Fenetres) {
    fenetres = OuvrirFenetres(std::move(ouverture));
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
                       fenetres = OuvrirFenetres({.lecteur = os::Drive::existing(dossier)});
                       choix->close();
                     });
                   });
  choix->show();
  return QApplication::exec();
}
