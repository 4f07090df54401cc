#include "kits/qt/DialoguePrefixe.h"

#include <QGuiApplication>
#include <functional>

namespace {

// Runs `faire`, which may hand the title `titre` to the window system: the plugins end a title
// with the application's name after a dash unless it already ends so, and these begin with it.
// Meanwhile the application's name is the title itself; message boxes, made after, keep theirs.
void TelQuel(const QString& titre, const std::function<void()>& faire) {
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

}  // namespace

void DialoguePrefixe::Intituler(const QString& titre) {
  TelQuel(titre, [&] { setWindowTitle(titre); });
}

void DialoguePrefixe::setVisible(bool visible) {
  // Showing makes the native window when there is none, and the title goes with it.
  if (visible && !isVisible()) {
    TelQuel(windowTitle(), [&] { QDialog::setVisible(true); });
    return;
  }
  QDialog::setVisible(visible);
}
