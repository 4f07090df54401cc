#include "kits/ligne/Sortie.h"

#include <iostream>

namespace {

bool dit = false;

}  // namespace

bool SortieIntacte() {
  std::cout.flush();
  if (std::cout) return true;
  if (!dit) {
    std::cerr << "tidora2000 : erreur d'écriture sur la sortie standard\n" << std::flush;
    dit = true;
  }
  return false;
}

bool Ecrire(std::string_view texte) {
  std::cout << texte;
  return SortieIntacte();
}

Statut AvecSortie(Statut statut) {
  return SortieIntacte() ? statut : Pire(statut, Statut::Incomplet);
}
