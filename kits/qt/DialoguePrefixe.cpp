#include "kits/qt/DialoguePrefixe.h"

#include "kits/qt/TitreTelQuel.h"

void DialoguePrefixe::Intituler(const QString& titre) {
  TitreTelQuel(titre, [&] { setWindowTitle(titre); });
}

void DialoguePrefixe::setVisible(bool visible) {
  // Showing makes the native window when there is none, and the title goes with it.
  if (visible && !isVisible()) {
    TitreTelQuel(windowTitle(), [&] { QDialog::setVisible(true); });
    return;
  }
  QDialog::setVisible(visible);
}
