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
#include "prefixes/ApercuPrefixe.h"

namespace {

// A display the windows could open on.
bool AfficheurDisponible() {
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* valeur = std::getenv(variable);
    if (valeur != nullptr && *valeur != '\0') return true;
  }
  return false;
}

// Windows that go once the event loop is back at the level where they were closed.
class Partantes : public QObject {
 public:
  explicit Partantes(std::unique_ptr<Fenetres> fenetres) : fenetres_(std::move(fenetres)) {}

 private:
  std::unique_ptr<Fenetres> fenetres_;
};

// The skinned windows' opening on a prefix the chooser found, as the command line's `--prefixe
// DIR` opens them: the prefix as it stands, its name, its runs protecting saves and game folders
// unless the common choices include them, its game folders and extra save locations, and what
// the user keeps for good there.
Ouverture OuvertureDe(const Prefixe& p, const Maison& maison) {
  PrefixeOuvert ouvert = OuvrirPrefixe(p, ChoixDeLUtilisateur(maison));
  Ouverture o;
  o.genre = Ouverture::Genre::Fenetres;
  o.lecteur.emplace(std::move(ouvert.lecteur));
  o.nom = p.nom;
  o.proteger = ouvert.proteger;
  o.jeux = std::move(ouvert.jeux);
  o.sauvegardes = std::move(ouvert.sauvegardes);
  o.gardes = std::move(ouvert.gardes);
  o.etranger = true;
  return o;
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

  Maison maison;
  QPointer<FenetreChoix> choix;
  Garde([&] {
    maison = Maison::DuSysteme();
    choix = new FenetreChoix(maison);
  });
  if (!choix) return 1;
  choix->setAttribute(Qt::WA_DeleteOnClose);
  // Closed: the program ends (the chooser is only hidden while the skinned windows are open).
  QObject::connect(choix, &QObject::destroyed, &application, &QCoreApplication::quit);
  QObject::connect(choix, &FenetreChoix::Ouvrir, &application, [&](const Prefixe& p) {
    Garde([&] {
      fenetres = OuvrirFenetres(OuvertureDe(p, maison));
      // Their main window closed: back to the chooser, the prefix looked at again, instead of
      // the end of the program.
      FenetreHabillee& principale = fenetres->principale;
      QObject::disconnect(&principale, &FenetreHabillee::Fermee, QCoreApplication::instance(),
                          nullptr);
      QObject::connect(&principale, &FenetreHabillee::Fermee, choix, [&] {
        // Their own signal: the windows go once the event loop is back where it was.
        (new Partantes(std::move(fenetres)))->deleteLater();
        choix->show();
        choix->raise();
        choix->activateWindow();
        Garde([&] { choix->Actualiser(); });
      });
      choix->hide();
    });
  });
  choix->show();
  return QApplication::exec();
}
