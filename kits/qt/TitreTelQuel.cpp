#include "kits/qt/TitreTelQuel.h"

#include <QGuiApplication>

void TitreTelQuel(const QString& titre, const std::function<void()>& faire) {
  const QString nom = QGuiApplication::applicationDisplayName();
  if (titre.isEmpty() || titre.endsWith(nom)) {
    faire();
    return;
  }
  struct Retour {
    const QString& nom;
    ~Retour() { QGuiApplication::setApplicationDisplayName(nom); }
  } retour{nom};
  QGuiApplication::setApplicationDisplayName(titre);
  faire();
}
