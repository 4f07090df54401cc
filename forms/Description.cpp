#include "forms/Description.h"

const TComposant* TDescription::Composant(std::string_view cherche) const noexcept {
  for (const TComposant& c : composants) {
    if (c.nom == cherche) return &c;
  }
  return nullptr;
}

const TComposant* ComposantSous(const TDescription& description, int x, int y,
                                const std::function<bool(std::string_view nom)>& visible) {
  for (auto c = description.composants.rbegin(); c != description.composants.rend(); ++c) {
    if (c->parent.empty() && c->boite.Contient(x, y) && visible(c->nom)) return &*c;
  }
  return nullptr;
}
