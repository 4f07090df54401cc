#include "kits/qt/Fenetres.h"

#include <QGuiApplication>

Fenetres::Fenetres(os::Drive l) : lecteur(std::move(l)) {
  Form1 = &form1;
  FormOptions = &formOptions;
}

Fenetres::~Fenetres() {
  if (Form1 == &form1) Form1 = nullptr;
  if (FormOptions == &formOptions) FormOptions = nullptr;
}

void Fenetres::Nommer(const std::string& nom) {
  QString titre = QGuiApplication::applicationDisplayName();
  if (!nom.empty()) titre += QStringLiteral(" \u2014 ") + QString::fromStdString(nom);
  principale.Intituler(titre);
  options.Intituler(titre);
}
