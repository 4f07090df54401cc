#include "kits/ligne/GardesLigne.h"

#include <vector>

#include "kits/ligne/Affichable.h"
#include "prefixes/Choix.h"

namespace {

std::string Ligne(const ElementGarde& e) {
  return Visible(TexteGarde(e)) + (e.prefixe.empty() ? " (dans tous les préfixes)\n" : "\n");
}

}  // namespace

Statut Gardes(const Commande& commande) {
  const Maison maison = Maison::DuSysteme();
  ChoixCommuns choix = ChoixDeLUtilisateur(maison);
  if (!commande.garde) {
    if (choix.gardes.empty()) {
      return AvecSortie(Ecrire("Rien n'est toujours gardé.\n") ? Statut::Fait : Statut::Incomplet);
    }
    std::string texte = "Toujours gardés, jamais effacés :\n";
    for (const ElementGarde& e : choix.gardes) texte += "  " + Ligne(e);
    return AvecSortie(Ecrire(texte) ? Statut::Fait : Statut::Incomplet);
  }
  if (commande.action == Commande::Action::Garder) {
    const ElementGarde element = ElementGardeDe(*commande.garde, true);
    GarderToujours(maison, {element});
    return AvecSortie(Ecrire("Toujours gardé : " + Ligne(element)) ? Statut::Fait
                                                                   : Statut::Incomplet);
  }
  // As the list shows it (even once its prefix is gone), else as --garder would name it.
  const std::size_t avant = choix.gardes.size();
  std::erase_if(choix.gardes,
                [&](const ElementGarde& e) { return TexteGarde(e) == *commande.garde; });
  if (choix.gardes.size() == avant) {
    const ElementGarde element = ElementGardeDe(*commande.garde, false);
    if (RetirerGarde(choix.gardes, element) == 0) {
      throw ErreurGarde("« " + TexteGarde(element) +
                        " » n'est pas gardé : voyez « tidora2000 --garder »");
    }
  }
  EnregistrerChoix(maison, choix);
  return AvecSortie(Ecrire("Plus gardé : " + Visible(*commande.garde) + "\n") ? Statut::Fait
                                                                              : Statut::Incomplet);
}
