#pragma once
// A fixed-size, centred, transparent label that swallows mouse presses (they never reach the
// window underneath, so they never start a drag).
#include <QColor>
#include <QLabel>

class LabelFixe : public QLabel {
  Q_OBJECT
 public:
  // Bold geometric sans of `hauteurPixels`, colour `couleur`, rectangle `boite`.
  LabelFixe(const QString& nom, const QRect& boite, int hauteurPixels, const QColor& couleur,
            const QString& texte, QWidget* parent);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
};
