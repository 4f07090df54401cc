#include "kits/qt/LabelFixe.h"

#include <QMouseEvent>

#include "kits/qt/Polices.h"

LabelFixe::LabelFixe(const QString& nom, const QRect& boite, int hauteurPixels,
                     const QColor& couleur, const QString& texte, QWidget* parent)
    : QLabel(texte, parent) {
  setObjectName(nom);
  setGeometry(boite);
  setFixedSize(boite.size());
  setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  setFont(PoliceLabels(hauteurPixels));
  setAutoFillBackground(false);
  setAttribute(Qt::WA_TranslucentBackground);
  QPalette palette = this->palette();
  palette.setColor(QPalette::WindowText, couleur);
  setPalette(palette);
  setTextFormat(Qt::PlainText);
  setWordWrap(false);
  setFocusPolicy(Qt::NoFocus);
  raise();
  show();
}

void LabelFixe::mousePressEvent(QMouseEvent* event) {
  // A label does nothing with a press, and keeps it from the window beneath.
  event->accept();
}
