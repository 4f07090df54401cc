#include "app/skin/Messages.h"

#include <QApplication>
#include <QMessageBox>

#include "app/skin/Garde.h"

std::function<void(TypeMessage, const QString&)> InterceptionMessages;

namespace {

void Afficher(TypeMessage type, const QString& texte) {
  if (InterceptionMessages) {
    InterceptionMessages(type, texte);
    return;
  }
  QMessageBox boite(type == TypeMessage::Erreur ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QGuiApplication::applicationDisplayName(), texte, QMessageBox::Ok,
                    QApplication::activeWindow());
  boite.setTextFormat(Qt::PlainText);
  boite.exec();
}

// The summary's lines are separated by a lone carriage return.
QString Lignes(QString texte) {
  texte.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  texte.replace(QChar(u'\r'), QChar(u'\n'));
  return texte;
}

}  // namespace

void AfficherMessage(const QString& texte) {
  Afficher(TypeMessage::Information, Lignes(texte));
}

void AfficherErreur(const QString& message) {
  Afficher(TypeMessage::Erreur, Lignes(TexteErreur(message)));
}
