#include "kits/qt/Garde.h"

#include <QString>
#include <exception>

#include "kits/qt/Messages.h"

void Garde(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    AfficherErreur(QString::fromUtf8(e.what()));
  } catch (...) {
    AfficherErreur(QStringLiteral("Erreur inattendue"));
  }
}
