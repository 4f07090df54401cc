#include "kits/qt/Aide.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <optional>

#include "forms/TexteAide.h"
#include "platform/File.h"
#include "platform/SystemError.h"

namespace {

// A small modeless reader window, made once and reused.
class VisionneuseAide : public QDialog {
 public:
  VisionneuseAide() {
    setObjectName(QStringLiteral("VisionneuseAide"));
    setWindowTitle(QStringLiteral("Aide de Tidora 2000"));
    setModal(false);
    resize(720, 520);
    texte_ = new QTextBrowser(this);
    texte_->setObjectName(QStringLiteral("TexteAide"));
    texte_->setOpenExternalLinks(false);
    auto* boutons = new QDialogButtonBox(this);
    boutons->addButton(QStringLiteral("Fermer"), QDialogButtonBox::RejectRole);
    connect(boutons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    auto* disposition = new QVBoxLayout(this);
    disposition->addWidget(texte_);
    disposition->addWidget(boutons);
  }

  // Loads `fichier` (a Windows path) and shows it from the top.
  void Ouvrir(const QString& fichier) {
    // A regular file only, through no link: a pipe in its place must not block the program.
    std::optional<std::string> lu;
    try {
      lu = os::readFile(fichier.toStdString());
    } catch (const os::SystemError&) {
      // Said in the viewer below.
    }
    if (!lu) {
      texte_->setPlainText(
          QStringLiteral("Impossible d'ouvrir le fichier d'aide %1.").arg(fichier));
    } else {
      const QString contenu = QString::fromStdString(TexteAide(*lu));
      if (Qt::mightBeRichText(contenu)) {
        texte_->document()->setDefaultFont(font());
        texte_->setHtml(contenu);
      } else {
        // Plain help text is laid out in columns.
        texte_->document()->setDefaultFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        texte_->setPlainText(contenu);
      }
    }
    texte_->moveCursor(QTextCursor::Start);
  }

 private:
  QTextBrowser* texte_;
};

}  // namespace

void MontrerLecteurAide(QWidget* parent, const QString& fichier) {
  static QPointer<VisionneuseAide> visionneuse;
  if (!visionneuse) {
    visionneuse = new VisionneuseAide;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, visionneuse.data(),
                     &QObject::deleteLater);
  }
  visionneuse->Ouvrir(fichier);
  if (!visionneuse->isVisible() && parent != nullptr) {
    visionneuse->move(parent->frameGeometry().center() - visionneuse->rect().center());
  }
  visionneuse->show();
  visionneuse->raise();
  visionneuse->activateWindow();
}
