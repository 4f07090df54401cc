#pragma once
// An invisible press zone (ellipse or circle drawn with neither pen nor brush): reacts to a
// press of any mouse button anywhere in its bounding rectangle. The handler runs inside Garde().
#include <QString>
#include <QWidget>
#include <functional>

class ZoneSouris : public QWidget {
  Q_OBJECT
 public:
  // A zone named `nom` with rectangle `boite`, child of `parent`, on top of its earlier siblings.
  ZoneSouris(const QString& nom, const QRect& boite, const QString& conseil, QWidget* parent);

  // Called on a press, with the button pressed.
  std::function<void(Qt::MouseButton)> OnMouseDown;
  // The stored hint (never displayed).
  const QString& Conseil() const { return conseil_; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QString conseil_;
};
