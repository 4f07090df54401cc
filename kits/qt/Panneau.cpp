#include "kits/qt/Panneau.h"

#include <QMouseEvent>

Panneau::Panneau(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setAutoFillBackground(true);
}

void Panneau::mousePressEvent(QMouseEvent* event) {
  event->accept();
}
