#pragma once
// The program's two windows on one drive, made in start-up order: the main window (its
// FormCreate empties the plan), then the hidden options window (its FormCreate loads the options
// file, which the main window's would otherwise wipe). The options window belongs to the main
// window.
#include <string>

#include "app/Unit1.h"
#include "kits/qt/FenetreHabillee.h"
#include "options/Unit2.h"

class Fenetres {
 public:
  // The windows take the drive and keep it for their whole life.
  explicit Fenetres(os::Drive lecteur);
  ~Fenetres();
  Fenetres(const Fenetres&) = delete;
  Fenetres& operator=(const Fenetres&) = delete;

  // Both windows' titles name the prefix `nom` they work on: "Tidora 2000 — <nom>", the
  // application's name alone for "" (the program's own prefix).
  void Nommer(const std::string& nom);

  const os::Drive lecteur;
  TForm1 form1{lecteur};
  FenetreHabillee principale{form1};
  TFormOptions formOptions{lecteur};
  FenetreHabillee options{formOptions, &principale};
};
