#include "kits/ligne/GardesLigne.h"

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
  const bool garder = commande.action == Commande::Action::Garder;
  const ElementGarde element = ElementGardeDe(*commande.garde, garder);
  if (garder) {
    GarderToujours(maison, {element});
    Ecrire("Toujours gardé : " + Ligne(element));
  } else {
    if (RetirerGarde(choix.gardes, element) == 0) {
      throw ErreurGarde("« " + TexteGarde(element) +
                        " » n'est pas gardé : voyez « tidora2000 --garder »");
    }
    EnregistrerChoix(maison, choix);
    Ecrire("Plus gardé : " + Ligne(element));
  }
  return AvecSortie(Statut::Fait);
}
