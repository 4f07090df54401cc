#include "kits/qt/FenetreHabillee.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QWindow>
#include <algorithm>
#include <cstdint>

#include "kits/qt/Aide.h"
#include "kits/qt/CaseACocher.h"
#include "kits/qt/Garde.h"
#include "kits/qt/Jpeg.h"
#include "kits/qt/LabelFixe.h"
#include "kits/qt/Messages.h"
#include "kits/qt/Panneau.h"
#include "kits/qt/TitreTelQuel.h"
#include "kits/qt/ZoneSouris.h"

namespace {

// The background picture's box ("Image1"): it paints the skin, centred, and lets every press
// through to the window, which treats it as a press on the background.
class ImageFond : public QWidget {
 public:
  ImageFond(const QString& nom, const QImage& fond, QWidget* parent)
      : QWidget(parent), fond_(fond) {
    setObjectName(nom);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter peintre(this);
    peintre.fillRect(rect(), Qt::black);
    if (fond_.isNull()) return;
    const QPoint coin((width() - fond_.width()) / 2, (height() - fond_.height()) / 2);
    peintre.drawImage(coin, fond_);
  }

 private:
  const QImage& fond_;
};

// The X protocol's DestroyNotify event, as the xcb platform hands it to native filters. `source`
// is the window whose watchers receive it: the destroyed window itself, or its parent.
struct DestructionX {
  std::uint8_t type;
  std::uint8_t rien;
  std::uint16_t sequence;
  std::uint32_t source;
  std::uint32_t fenetre;
};
constexpr std::uint8_t kDestroyNotify = 17;

QString Nom(std::string_view nom) {
  return QString::fromUtf8(nom.data(), static_cast<qsizetype>(nom.size()));
}
QRect Rectangle(const TBoite& b) {
  return {b.gauche, b.haut, b.largeur, b.hauteur};
}
QImage Skin(std::string_view fichier) {
  return ChargerSkin(QStringLiteral(":/skins/") + Nom(fichier));
}
TMouseButton Bouton(Qt::MouseButton bouton) {
  if (bouton == Qt::RightButton) return TMouseButton::mbRight;
  if (bouton == Qt::MiddleButton) return TMouseButton::mbMiddle;
  return TMouseButton::mbLeft;
}

}  // namespace

QPoint PlaceSurLEcran(const QRect& voulue, const QList<QRect>& ecrans) {
  if (ecrans.isEmpty()) return voulue.topLeft();
  const QRect* ecran = &ecrans.front();
  qint64 tenue = 0;
  for (const QRect& e : ecrans) {
    const QRect commune = e.intersected(voulue);
    const qint64 aire = qint64{commune.width()} * commune.height();
    if (aire > tenue) {
      tenue = aire;
      ecran = &e;
    }
  }
  // The right and bottom edges brought back first, so that the left and top ones win.
  const auto dans = [](int debut, int longueur, int debutEcran, int longueurEcran) {
    return std::max(std::min(debut, debutEcran + longueurEcran - longueur), debutEcran);
  };
  return {dans(voulue.x(), voulue.width(), ecran->x(), ecran->width()),
          dans(voulue.y(), voulue.height(), ecran->y(), ecran->height())};
}

FenetreHabillee::FenetreHabillee(TFiche& fiche, FenetreHabillee* proprietaire)
    // Qt makes a window of another a transient window of it when it is a dialog.
    : QWidget(proprietaire, (proprietaire ? Qt::Dialog : Qt::Window) | Qt::FramelessWindowHint),
      fiche_(fiche) {
  const TDescription& description = fiche.Description();
  setObjectName(Nom(description.nom));
  setWindowTitle(QGuiApplication::applicationDisplayName());
  setFixedSize(description.boite.largeur, description.boite.hauteur);
  move(description.boite.gauche, description.boite.haut);
  setFont(QFont(Nom(description.police.nom), description.police.points));
  for (const TComposant& composant : description.composants) Construire(composant);

  QCoreApplication::instance()->installNativeEventFilter(&surveillance_);
  if (description.apercuTouches) QCoreApplication::instance()->installEventFilter(this);
  fiche_.Attacher(this);
  Garde([this] { fiche_.FormCreate(); });
}

FenetreHabillee::~FenetreHabillee() {
  fiche_.Attacher(nullptr);
  QCoreApplication::instance()->removeNativeEventFilter(&surveillance_);
  // The widgets using the shared style go before it.
  for (QWidget* enfant : findChildren<QWidget*>()) {
    if (enfant->style() == styleControles_) enfant->setStyle(nullptr);
  }
  delete styleControles_;
}

void FenetreHabillee::Construire(const TComposant& c) {
  QWidget* parent = c.parent.empty() ? this : Enfant(c.parent);
  const QString nom = Nom(c.nom);
  switch (c.genre) {
    case TGenre::Image:
      if (parent == this) {
        // First of the table, hence the lowest in the stacking order.
        auto* image = new ImageFond(nom, fond_, this);
        image->setGeometry(Rectangle(c.boite));
        try {
          fond_ = Skin(c.texte);
        } catch (const std::exception&) {
          // Without its skin the window still works; the background stays plain.
        }
      } else {
        auto* image = new QLabel(parent);
        image->setObjectName(nom);
        image->setGeometry(Rectangle(c.boite));
        image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        QPixmap picture;
        try {
          picture = QPixmap::fromImage(Skin(c.texte));
        } catch (const std::exception&) {
          picture = QPixmap(c.boite.largeur, c.boite.hauteur - 2);
          picture.fill(Qt::white);
        }
        image->setPixmap(picture);
      }
      return;
    case TGenre::Zone: {
      auto* zone = new ZoneSouris(nom, Rectangle(c.boite), Nom(c.conseil), parent);
      zone->OnMouseDown = [this, n = c.nom](Qt::MouseButton b) { fiche_.MouseDown(n, Bouton(b)); };
      return;
    }
    case TGenre::Label: {
      const QColor couleur(c.couleur.r, c.couleur.g, c.couleur.b);
      new LabelFixe(nom, Rectangle(c.boite), c.police.pixels, couleur, Nom(c.texte), parent);
      return;
    }
    case TGenre::Panneau: {
      auto* panneau = new Panneau(parent);
      panneau->setObjectName(nom);
      panneau->setGeometry(Rectangle(c.boite));
      panneau->setVisible(c.visible);
      return;
    }
    case TGenre::CaseACocher:
    case TGenre::Edition: {
      // The boxes and the edit box share one neat, platform-independent look that suits the
      // skin.
      if (styleControles_ == nullptr) styleControles_ = QStyleFactory::create(QStringLiteral("Fusion"));
      QPalette palette = this->palette();
      palette.setColor(QPalette::Base, Qt::white);
      palette.setColor(QPalette::Text, Qt::black);
      palette.setColor(QPalette::WindowText, Qt::black);
      QWidget* controle = nullptr;
      if (c.genre == TGenre::CaseACocher) {
        controle = new CaseACocher(parent);
      } else {
        auto* edition = new QLineEdit(parent);
        edition->setText(Nom(c.texte));
        connect(edition, &QLineEdit::textChanged, this,
                [this, n = c.nom] { Garde([&] { fiche_.Change(n); }); });
        controle = edition;
      }
      controle->setObjectName(nom);
      controle->setGeometry(Rectangle(c.boite));
      if (styleControles_) controle->setStyle(styleControles_);
      controle->setPalette(palette);
      if (dernierControle_) setTabOrder(dernierControle_, controle);
      dernierControle_ = controle;
      return;
    }
  }
}

QWidget* FenetreHabillee::Trouver(const QString& nom) const {
  for (QWidget* enfant : findChildren<QWidget*>(nom)) {
    if (enfant->window() == this) return enfant;
  }
  return nullptr;
}

QWidget* FenetreHabillee::Enfant(std::string_view nom) const {
  QWidget* enfant = Trouver(Nom(nom));
  if (enfant == nullptr) throw std::logic_error("Composant inconnu : " + std::string(nom));
  return enfant;
}

void FenetreHabillee::Intituler(const QString& titre) {
  TitreTelQuel(titre, [&] { setWindowTitle(titre); });
}

void FenetreHabillee::setVisible(bool visible) {
  if (!visible || isVisible()) {
    QWidget::setVisible(visible);
    return;
  }
  // In the screens' logical pixels, those of the window's size: the device pixel ratio is in both.
  QList<QRect> ecrans;
  for (const QScreen* ecran : QGuiApplication::screens()) ecrans.append(ecran->availableGeometry());
  move(PlaceSurLEcran(geometry(), ecrans));
  // Showing makes the native window when there is none, and the title goes with it.
  TitreTelQuel(windowTitle(), [&] { QWidget::setVisible(true); });
}

void FenetreHabillee::AppliquerForme(const TForme& forme) {
  if (forme.genre == TForme::Ellipse) {
    setMask(QRegion(0, 0, width(), height(), QRegion::Ellipse));
    return;
  }
  // The rectangle's right and bottom edges are excluded, as with the system's region calls.
  QPainterPath chemin;
  chemin.addRoundedRect(QRectF(1, 1, width() - 1, height() - 1), forme.ew / 2.0, forme.eh / 2.0);
  setMask(QRegion(chemin.toFillPolygon().toPolygon()));
}

void FenetreHabillee::Montrer() {
  show();
  raise();
  activateWindow();
}

void FenetreHabillee::Cacher() {
  hide();
}

void FenetreHabillee::Fermer() {
  hide();
  emit Fermee();
}

void FenetreHabillee::SetTexte(std::string_view composant, const std::string& texte) {
  QWidget* enfant = Enfant(composant);
  if (auto* label = qobject_cast<QLabel*>(enfant)) {
    label->setText(QString::fromStdString(texte));
  } else if (auto* edition = qobject_cast<QLineEdit*>(enfant)) {
    edition->setText(QString::fromStdString(texte));
  }
}

std::string FenetreHabillee::Texte(std::string_view composant) const {
  QWidget* enfant = Enfant(composant);
  if (auto* label = qobject_cast<QLabel*>(enfant)) return label->text().toStdString();
  if (auto* edition = qobject_cast<QLineEdit*>(enfant)) return edition->text().toStdString();
  return {};
}

void FenetreHabillee::SetCoche(std::string_view caseACocher, bool coche) {
  if (auto* c = qobject_cast<QCheckBox*>(Enfant(caseACocher))) c->setChecked(coche);
}

bool FenetreHabillee::Coche(std::string_view caseACocher) const {
  auto* c = qobject_cast<QCheckBox*>(Enfant(caseACocher));
  return c != nullptr && c->isChecked();
}

void FenetreHabillee::SetVisible(std::string_view composant, bool visible) {
  QWidget* enfant = Enfant(composant);
  enfant->setVisible(visible);
  if (visible) enfant->raise();
}

void FenetreHabillee::Message(const std::string& texte) {
  AfficherMessage(QString::fromStdString(texte));
}

void FenetreHabillee::MontrerAide(const std::string& fichier,
                                  const std::optional<std::string>& contenu) {
  MontrerLecteurAide(this, QString::fromStdString(fichier), contenu);
}

void FenetreHabillee::TraiterMessages() {
  QCoreApplication::processEvents();
}

void FenetreHabillee::Glisser(QMouseEvent* event) {
  glisseManuel_ = false;
  if (QWindow* fenetre = windowHandle(); fenetre != nullptr && fenetre->startSystemMove()) {
    return;
  }
  // No window manager to do it: follow the pointer from our own mouse events.
  glisseManuel_ = true;
  origineGlisse_ = event->globalPosition().toPoint() - pos();
}

void FenetreHabillee::paintEvent(QPaintEvent*) {
  // Everything is drawn by the background picture's box.
}

void FenetreHabillee::mousePressEvent(QMouseEvent* event) {
  event->accept();
  Garde([&] { Image1MouseDown(event); });
}

void FenetreHabillee::mouseMoveEvent(QMouseEvent* event) {
  if (!glisseManuel_) return;
  if (event->buttons() == Qt::NoButton) {
    glisseManuel_ = false;
    return;
  }
  move(event->globalPosition().toPoint() - origineGlisse_);
}

void FenetreHabillee::mouseReleaseEvent(QMouseEvent* event) {
  if (event->buttons() == Qt::NoButton) glisseManuel_ = false;
}

bool FenetreHabillee::eventFilter(QObject* objet, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !objet->isWidgetType()) return false;
  if (static_cast<QWidget*>(objet)->window() != this) return false;
  const QString texte = static_cast<QKeyEvent*>(event)->text();
  const QList<uint> caracteres = texte.toUcs4();
  if (caracteres.size() != 1) return false;
  bool garde = false;
  Garde([&] { garde = fiche_.KeyPress(caracteres.front()); });
  return garde;
}

void FenetreHabillee::closeEvent(QCloseEvent* event) {
  event->ignore();
  Garde([this] { fiche_.CloseQuery(); });
}

void FenetreHabillee::Detruite() {
  // Qt still holds the window as shown and created: it lets it go (a later Montrer() makes a new
  // one), so that nothing waits on it any more, the application's quit included. Only the native
  // window goes: the widget's own may be handling an event further up the stack.
  hide();
  if (QWindow* fenetre = windowHandle()) fenetre->destroy();
  Garde([this] { fiche_.Destroy(); });
}

bool FenetreHabillee::Surveillance::nativeEventFilter(const QByteArray& type, void* message,
                                                      qintptr*) {
  if (type != "xcb_generic_event_t" || !fenetre_.testAttribute(Qt::WA_WState_Created)) {
    return false;
  }
  const auto* evenement = static_cast<const DestructionX*>(message);
  const auto id = static_cast<std::uint32_t>(fenetre_.winId());
  if ((evenement->type & 0x7f) != kDestroyNotify || evenement->fenetre != id ||
      evenement->source != id) {
    return false;
  }
  // The form's handlers run from the event queue, never inside the platform's dispatch.
  QMetaObject::invokeMethod(&fenetre_, &FenetreHabillee::Detruite, Qt::QueuedConnection);
  return false;
}
