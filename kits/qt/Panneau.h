#pragma once
// A raised panel that keeps presses from the window beneath (no drag, no zone).
#include <QFrame>

class Panneau : public QFrame {
  Q_OBJECT
 public:
  explicit Panneau(QWidget* parent);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
};
