#include "kits/qt/CaseACocher.h"

#include <QMouseEvent>

void CaseACocher::mousePressEvent(QMouseEvent* event) {
  QCheckBox::mousePressEvent(event);
  event->accept();
}
