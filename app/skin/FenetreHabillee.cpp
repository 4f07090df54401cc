#include "app/skin/FenetreHabillee.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QWindow>
#include <cstdint>

#include "app/skin/Garde.h"

namespace {

// The background picture's box ("Image1"): it paints the skin, centred, and lets every press
// through to the window, which treats it as a press on the background.
class ImageFond : public QWidget {
 public:
  ImageFond(const QImage& fond, QWidget* parent) : QWidget(parent), fond_(fond) {
    setObjectName(QStringLiteral("Image1"));
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

// The X protocol's DestroyNotify event, as the xcb platform hands it to native filters.
struct DestructionX {
  std::uint8_t type;
  std::uint8_t rien;
  std::uint16_t sequence;
  std::uint32_t source;
  std::uint32_t fenetre;
};
constexpr std::uint8_t kDestroyNotify = 17;

}  // namespace

FenetreHabillee::FenetreHabillee(QSize taille, QPoint position, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
  setFixedSize(taille);
  move(position);
  // First child, hence the lowest in the stacking order.
  auto* image = new ImageFond(fond_, this);
  image->setGeometry(rect());
  QCoreApplication::instance()->installNativeEventFilter(&surveillance_);
}

FenetreHabillee::~FenetreHabillee() {
  if (QCoreApplication::instance()) {
    QCoreApplication::instance()->removeNativeEventFilter(&surveillance_);
  }
}

bool FenetreHabillee::Surveillance::nativeEventFilter(const QByteArray& type, void* message,
                                                      qintptr*) {
  if (type != "xcb_generic_event_t" || fenetre_.detruite_ ||
      !fenetre_.testAttribute(Qt::WA_WState_Created)) {
    return false;
  }
  const auto* evenement = static_cast<const DestructionX*>(message);
  if ((evenement->type & 0x7f) != kDestroyNotify ||
      evenement->fenetre != static_cast<std::uint32_t>(fenetre_.winId())) {
    return false;
  }
  fenetre_.detruite_ = true;
  if (fenetre_.OnDetruite) Garde(fenetre_.OnDetruite);
  return false;
}

void FenetreHabillee::SetFond(const QImage& fond) {
  fond_ = fond;
  update();
  if (auto* image = findChild<QWidget*>(QStringLiteral("Image1"), Qt::FindDirectChildrenOnly)) {
    image->update();
  }
}

void FenetreHabillee::FormeEllipse() {
  setMask(QRegion(0, 0, width(), height(), QRegion::Ellipse));
}

void FenetreHabillee::FormeRectangleArrondi(int ew, int eh) {
  // The rectangle's right and bottom edges are excluded, as with the system's region calls.
  QPainterPath chemin;
  chemin.addRoundedRect(QRectF(1, 1, width() - 1, height() - 1), ew / 2.0, eh / 2.0);
  setMask(QRegion(chemin.toFillPolygon().toPolygon()));
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
