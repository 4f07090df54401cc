#pragma once
// A check box showing only its box: a press anywhere in its rectangle toggles it, and no press
// on it ever falls through to the skin underneath (which would drag the window).
#include <QCheckBox>

class CaseACocher : public QCheckBox {
  Q_OBJECT
 public:
  using QCheckBox::QCheckBox;

 protected:
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
  void mousePressEvent(QMouseEvent* event) override;
};
