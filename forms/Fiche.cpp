#include "forms/Fiche.h"

#include <stdexcept>

IFenetre& TFiche::Fenetre() const {
  if (fenetre_ == nullptr) throw std::logic_error("Fenêtre absente");
  return *fenetre_;
}
