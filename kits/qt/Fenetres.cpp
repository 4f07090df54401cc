#include "kits/qt/Fenetres.h"

Fenetres::Fenetres(os::Drive l) : lecteur(std::move(l)) {
  Form1 = &form1;
  FormOptions = &formOptions;
}

Fenetres::~Fenetres() {
  if (Form1 == &form1) Form1 = nullptr;
  if (FormOptions == &formOptions) FormOptions = nullptr;
}
