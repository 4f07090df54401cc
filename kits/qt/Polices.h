#pragma once
// The labels' font: "Century Gothic" bold, else URW Gothic at its demi-bold weight.
#include <QFont>

// A bold geometric sans of `hauteurPixels` character height.
QFont PoliceLabels(int hauteurPixels);
