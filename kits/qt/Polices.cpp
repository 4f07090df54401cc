#include "kits/qt/Polices.h"

#include <QFontDatabase>
#include <QStringList>

namespace {

const QString kCentury = QStringLiteral("Century Gothic");
const QString kUrw = QStringLiteral("URW Gothic");
const QString kDemi = QStringLiteral("Demi");

}  // namespace

QFont PoliceLabels(int hauteurPixels) {
  QFont police;
  if (!QFontDatabase::hasFamily(kCentury) && QFontDatabase::hasFamily(kUrw) &&
      QFontDatabase::styles(kUrw).contains(kDemi)) {
    // The free stand-in has a true demi-bold face; asking for it by style keeps Qt from
    // emboldening the book face instead.
    police = QFontDatabase::font(kUrw, kDemi, 10);
    police.setStyleName(kDemi);
  } else {
    police = QFont(kCentury);
    police.setBold(true);
  }
  police.setPixelSize(hauteurPixels);
  return police;
}
