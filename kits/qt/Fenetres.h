#pragma once
// The program's two windows, made in start-up order: the main window (its FormCreate empties
// the plan), then the hidden options window (its FormCreate loads the options file, which the
// main window's would otherwise wipe). The options window belongs to the main window.
#include "app/Unit1.h"
#include "kits/qt/FenetreHabillee.h"
#include "options/Unit2.h"

class Fenetres {
 public:
  Fenetres();
  ~Fenetres();
  Fenetres(const Fenetres&) = delete;
  Fenetres& operator=(const Fenetres&) = delete;

  TForm1 form1;
  FenetreHabillee principale{form1};
  TFormOptions formOptions;
  FenetreHabillee options{formOptions, &principale};
};
