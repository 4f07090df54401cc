#include "kits/ligne/Ligne.h"

#include <unistd.h>

#include <exception>
#include <iostream>
#include <string_view>
#include <vector>

#include "kits/ligne/Arguments.h"
#include "kits/ligne/Tableau.h"
#include "kits/ligne/Textes.h"
#include "platform/Prefix.h"
#include "platform/PrefixCheck.h"
#include "prefixes/Liste.h"
#include "prefixes/Taille.h"

namespace {

int Ecrire(const std::string& texte) {
  std::cout << texte << std::flush;
  if (std::cout) return 0;
  std::cerr << "tidora2000 : erreur d'écriture sur la sortie standard\n";
  return 1;
}

int Prefixes(bool tsv) {
  Recherche r = TrouverPrefixes(Maison::DuSysteme());
  for (const std::string& a : r.avertissements) std::cerr << "tidora2000 : " << a << '\n';
  ChercherUtilisateurs(r.prefixes);
  MesurerTailles(r.prefixes);
  TrierParTaille(r.prefixes);
  if (tsv || ::isatty(STDOUT_FILENO) == 0) return Ecrire(LignesTsv(r.prefixes));
  if (r.prefixes.empty()) return Ecrire("Aucun préfixe Wine ou Proton trouvé.\n");
  return Ecrire(Tableau(r.prefixes));
}

}  // namespace

std::optional<int> LigneDeCommande(int argc, char* argv[], Ouverture& ouverture) {
  Commande commande;
  try {
    commande = LireArguments(std::vector<std::string_view>(argv + std::min(argc, 1), argv + argc));
  } catch (const ErreurArguments& e) {
    std::cerr << "tidora2000 : " << e.what() << "\nEssayez « tidora2000 --aide ».\n";
    return 2;
  }
  try {
    switch (commande.action) {
      case Commande::Action::Aide:
        return Ecrire(TexteAide());
      case Commande::Action::Version:
        return Ecrire(TexteVersion());
      case Commande::Action::Prefixes:
        return Prefixes(commande.tsv);
      case Commande::Action::Choisir:
        ouverture = Ouverture::Choix;
        return std::nullopt;
      case Commande::Action::Fenetres:
        ouverture = Ouverture::Fenetres;
        if (commande.prefixe) os::setPrefixFolder(*commande.prefixe);
        os::checkPrefixFolder(os::prefixFolder());
        return std::nullopt;
    }
  } catch (const std::exception& e) {
    std::cerr << "tidora2000 : " << e.what() << '\n';
    return 1;
  }
  return std::nullopt;
}
