#pragma once
// A borderless window whose whole client area is a skin picture. Components are child widgets
// stacked in creation order (later = on top), so a press goes to the topmost one whose rectangle
// holds the pointer; a press that reaches the window itself (the background picture) drags it.
// The picture is painted, centred, by the window's first child "Image1", which lets presses
// through to the window.
#include <QAbstractNativeEventFilter>
#include <QImage>
#include <QPoint>
#include <QWidget>
#include <functional>

class FenetreHabillee : public QWidget {
  Q_OBJECT
 public:
  // A frameless window of fixed client `taille` at screen position `position`.
  FenetreHabillee(QSize taille, QPoint position, QWidget* parent = nullptr);
  ~FenetreHabillee() override;

  // Called once when the window system destroys the window from outside (not a close: the
  // window is gone, as some tools do it). Nothing may be drawn in the window afterwards.
  std::function<void()> OnDetruite;

  // The skin picture drawn over the whole client area.
  void SetFond(const QImage& fond);
  // Cuts the window to the ellipse inscribed in (0, 0, width, height).
  void FormeEllipse();
  // Cuts the window to a rounded rectangle from (1, 1) to (width, height), corners ew x eh.
  void FormeRectangleArrondi(int ew, int eh);
  // Drag action: asks the window system to move the window with the pointer; where it
  // refuses, the window follows the mouse events by hand until the button is released.
  void Glisser(QMouseEvent* event);

 protected:
  void paintEvent(QPaintEvent* event) override;
  // Background press (Image1MouseDown): calls Image1MouseDown(), which drags by default.
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  virtual void Image1MouseDown(QMouseEvent* event) { Glisser(event); }

 private:
  // Watches the window system's events for the destruction of this window.
  class Surveillance : public QAbstractNativeEventFilter {
   public:
    explicit Surveillance(FenetreHabillee& fenetre) : fenetre_(fenetre) {}
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* resultat) override;

   private:
    FenetreHabillee& fenetre_;
  };

  Surveillance surveillance_{*this};
  bool detruite_ = false;
  QImage fond_;
  bool glisseManuel_ = false;
  QPoint origineGlisse_;
};
