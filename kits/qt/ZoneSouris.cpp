#include "kits/qt/ZoneSouris.h"

#include <QMouseEvent>

#include "kits/qt/Garde.h"

ZoneSouris::ZoneSouris(const QString& nom, const QRect& boite, const QString& conseil,
                       QWidget* parent)
    : QWidget(parent), conseil_(conseil) {
  setObjectName(nom);
  setGeometry(boite);
  // Invisible: no pen, no brush, nothing painted over the skin.
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  raise();
  show();
}

void ZoneSouris::mousePressEvent(QMouseEvent* event) {
  // Taken here so that the press never falls through to the window (which would drag it).
  event->accept();
  const Qt::MouseButton bouton = event->button();
  if (OnMouseDown) Garde([&] { OnMouseDown(bouton); });
}
