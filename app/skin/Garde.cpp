#include "app/skin/Garde.h"

#include "app/skin/Messages.h"

void Garde(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    AfficherErreur(QString::fromUtf8(e.what()));
  } catch (...) {
    AfficherErreur(QStringLiteral("Erreur inattendue"));
  }
}

QString TexteErreur(const QString& message) {
  if (!message.isEmpty() && message.back().unicode() > QChar(u'.').unicode()) {
    return message + QChar(u'.');
  }
  return message;
}
