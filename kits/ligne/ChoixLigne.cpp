#include "kits/ligne/ChoixLigne.h"

#include <iostream>

#include "kits/ligne/Affichable.h"
#include "options/LibellesChoix.h"
#include "platform/NameCase.h"
#include "prefixes/Choix.h"

namespace {

// The choices the list `liste` names; throws ErreurArguments for a word it does not know.
ChoixOptions Cases(const std::string& liste) {
  if (liste == "aucun") return ChoixOptions{};
  if (liste == "defaut") return ChoixParDefaut().cases;
  ChoixOptions cases{};
  std::size_t debut = 0;
  while (debut <= liste.size()) {
    std::size_t fin = liste.find(',', debut);
    if (fin == std::string::npos) fin = liste.size();
    const std::string mot = liste.substr(debut, fin - debut);
    debut = fin + 1;
    if (mot.empty()) continue;
    bool connu = false;
    for (std::size_t i = 0; i < LibellesChoix.size() && !connu; ++i) {
      const LibelleChoix& c = LibellesChoix[i];
      // A key as the options file writes it; a mask as its box shows it.
      connu = (i < 8 && os::sameName(mot, c.cle)) || (i >= 8 && mot == c.libelle);
      if (connu) cases[i] = true;
    }
    if (!connu) {
      throw ErreurArguments("choix inconnu « " + Visible(mot) +
                            " » ; voyez « tidora2000 --choix » pour les choix possibles");
    }
  }
  return cases;
}

std::string Texte(const ChoixCommuns& c, bool enregistres) {
  std::string t = "Choix communs, pour les préfixes qui n'ont pas d'options validées";
  t += enregistres ? " :\n" : " (par défaut : aucun n'a encore été enregistré) :\n";
  for (std::size_t i = 0; i < LibellesChoix.size(); ++i) {
    const LibelleChoix& l = LibellesChoix[i];
    std::string ligne = std::string(c.cases[i] ? "  [x] " : "  [ ] ") + std::string(l.libelle);
    if (i < 8) {
      ligne += std::string(Largeur(ligne) < 48 ? 48 - Largeur(ligne) : 1, ' ');
      ligne += '(';
      ligne += l.cle;
      ligne += ')';
    }
    t += ligne + '\n';
  }
  t += "Masques : " + (c.masques.empty() ? std::string("aucun") : Visible(c.masques)) + '\n';
  t += c.sauvegardes ? "Sauvegardes et dossiers de jeux : nettoyés par les masques\n"
                     : "Sauvegardes et dossiers de jeux : protégés\n";
  return t;
}

}  // namespace

Statut Choix(const Commande& commande) {
  const Maison maison = Maison::DuSysteme();
  std::optional<ChoixCommuns> lus = LireChoix(maison);
  ChoixCommuns choix = lus.value_or(ChoixParDefaut());
  const bool change = commande.cases || commande.masques || commande.sauvegardes;
  if (change) {
    if (commande.cases) choix.cases = Cases(*commande.cases);
    if (commande.masques) choix.masques = *commande.masques;
    if (commande.sauvegardes) choix.sauvegardes = *commande.sauvegardes;
    EnregistrerChoix(maison, choix);
    lus = choix;
  }
  Ecrire(Texte(choix, lus.has_value()));
  return AvecSortie(Statut::Fait);
}
