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

  // Shows `lu`, the help file `fichier` as read, from the top.
  void Ouvrir(const QString& fichier, const std::optional<std::string>& lu) {
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

void MontrerLecteurAide(QWidget* parent, const QString& fichier,
                        const std::optional<std::string>& contenu) {
  static QPointer<VisionneuseAide> visionneuse;
  if (!visionneuse) {
    visionneuse = new VisionneuseAide;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, visionneuse.data(),
                     &QObject::deleteLater);
  }
  visionneuse->Ouvrir(fichier, contenu);
  if (!visionneuse->isVisible() && parent != nullptr) {
    visionneuse->move(parent->frameGeometry().center() - visionneuse->rect().center());
  }
  visionneuse->show();
  visionneuse->raise();
  visionneuse->activateWindow();
}
