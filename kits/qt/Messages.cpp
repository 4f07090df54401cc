#include "kits/qt/Messages.h"

#include <QApplication>
#include <QMessageBox>

#include "forms/TexteBoite.h"

std::function<void(TypeMessage, const QString&)> InterceptionMessages;

namespace {

void Afficher(TypeMessage type, const std::string& texte) {
  const QString lignes = QString::fromStdString(LignesBoite(texte));
  if (InterceptionMessages) {
    InterceptionMessages(type, lignes);
    return;
  }
  QMessageBox boite(type == TypeMessage::Erreur ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QGuiApplication::applicationDisplayName(), lignes, QMessageBox::Ok,
                    QApplication::activeWindow());
  boite.setTextFormat(Qt::PlainText);
  boite.exec();
}

}  // namespace

void AfficherMessage(const QString& texte) {
  Afficher(TypeMessage::Information, texte.toStdString());
}

void AfficherErreur(const QString& message) {
  Afficher(TypeMessage::Erreur, TexteErreur(message.toStdString()));
}
