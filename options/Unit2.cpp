#include "options/Unit2.h"

#include <array>
#include <string>

#include "cleaning/PlanMenage.h"
#include "forms/Aide.h"
#include "options/FichierOptions.h"

TFormOptions* FormOptions = nullptr;

namespace {

constexpr std::size_t kNbCases = 17;

std::string NomCase(std::size_t index) {
  return "CheckBox" + std::to_string(index + 1);
}

}  // namespace

TFormOptions::TFormOptions(const os::Drive& lecteur) : Lecteur(lecteur) {}

TFormOptions::~TFormOptions() {
  if (FormOptions == this) FormOptions = nullptr;
}

void TFormOptions::FormCreate() {
  Fenetre().AppliquerForme({TForme::RectangleArrondi, 65, 65});
  MemoOptions.clear();
  LireOptions(Lecteur, PlanMenage);
  const ChoixOptions cases = ChoixDuPlan(PlanMenage);
  for (std::size_t i = 0; i < kNbCases; ++i) Fenetre().SetCoche(NomCase(i), cases[i]);
  // The free masks come back too, so that the next validation keeps them.
  Fenetre().SetTexte("EditEffacer", MasquesLibres(Lecteur));
}

void TFormOptions::Shape2MouseDown(TMouseButton) {
  ChoixOptions choix{};
  for (std::size_t i = 0; i < kNbCases; ++i) choix[i] = Fenetre().Coche(NomCase(i));
  MemoOptions.clear();
  MemoOptions = ComposerOptions(Lecteur, choix, Fenetre().Texte("EditEffacer"));
  EnregistrerOptions(Lecteur, MemoOptions);
  PlanMenage.OptionsValidees = true;
  LireOptions(Lecteur, PlanMenage);
  Fenetre().Cacher();
  if (ApresValidation) ApresValidation();
}

void TFormOptions::Shape1MouseDown(TMouseButton) {
  Fenetre().Cacher();
}

void TFormOptions::Shape3MouseDown(TMouseButton) {
  Fenetre().Cacher();
}

void TFormOptions::Shape4MouseDown(TMouseButton) {
  ActionAide(Fenetre(), Lecteur);
}

void TFormOptions::EditEffacerChange() {}

void TFormOptions::Montrer() {
  Fenetre().Montrer();
}

void TFormOptions::MouseDown(std::string_view zone, TMouseButton bouton) {
  if (zone == "Shape1") Shape1MouseDown(bouton);
  if (zone == "Shape2") Shape2MouseDown(bouton);
  if (zone == "Shape3") Shape3MouseDown(bouton);
  if (zone == "Shape4") Shape4MouseDown(bouton);
}

void TFormOptions::Change(std::string_view edition) {
  if (edition == "EditEffacer") EditEffacerChange();
}

void TFormOptions::CloseQuery() {
  Fenetre().Cacher();
}
