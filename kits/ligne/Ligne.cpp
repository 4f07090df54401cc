#include "kits/ligne/Ligne.h"

#include <unistd.h>

#include <exception>
#include <iostream>
#include <string_view>
#include <vector>

#include "kits/ligne/Arguments.h"
#include "kits/ligne/Nettoyage.h"
#include "kits/ligne/SortieApercu.h"
#include "kits/ligne/Tableau.h"
#include "kits/ligne/Textes.h"
#include "platform/PrefixCheck.h"
#include "platform/PrefixUse.h"
#include "platform/SystemError.h"
#include "prefixes/ApercuPrefixe.h"
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

// The game folders the launchers name for the prefix `dossier` (the same folder, whatever path
// reaches it), as host paths; none when no launcher knows it.
std::vector<std::filesystem::path> JeuxDuPrefixe(const std::filesystem::path& dossier) {
  const std::optional<os::FileId> id = os::winePrefixId(dossier);
  if (!id) return {};
  std::vector<std::filesystem::path> jeux;
  for (const Prefixe& p : TrouverPrefixes(Maison::DuSysteme()).prefixes) {
    if (p.id == *id) jeux.insert(jeux.end(), p.jeux.begin(), p.jeux.end());
  }
  return jeux;
}

// The preview on standard output: 0 once shown, 2 when there is none (no prefix, no validated
// options) or the run would fail.
int Apercevoir(const std::filesystem::path& dossier) {
  Apercu apercu;
  try {
    apercu = ApercuPrefixe(
        OuvrirPrefixe(dossier, JeuxDuPrefixe(dossier), ChoixDeLUtilisateur(Maison::DuSysteme())));
  } catch (const std::runtime_error& e) {
    std::cerr << "tidora2000 : " << e.what() << '\n';
    return kRefuse;
  }
  if (!apercu.optionsValidees) {
    std::cerr << "tidora2000 : Le préfixe " << dossier.string()
              << " n'a pas d'options validées : un nettoyage n'y ferait rien ; choisissez-les et "
                 "validez-les d'abord (tidora2000 --prefixe "
              << dossier.string() << ")\n";
    return kRefuse;
  }
  if (const std::optional<os::PrefixUser> u = os::prefixUser(dossier)) {
    std::cerr << "tidora2000 : attention, le préfixe est utilisé par " << u->program
              << " (processus " << u->pid << ") : un nettoyage y serait refusé tant qu'il l'est\n";
  }
  if (const int code = Ecrire(TexteApercu(apercu)); code != 0) return code;
  if (apercu.erreur.empty()) return 0;
  std::cerr << "tidora2000 : " << apercu.erreur << '\n';
  return kRefuse;
}

}  // namespace

std::optional<int> LigneDeCommande(int argc, char* argv[], Ouverture& ouverture,
                                   std::string* refus) {
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
      case Commande::Action::Apercu:
        return Apercevoir(commande.prefixe ? std::filesystem::path(*commande.prefixe)
                                           : os::Drive::ownFolder());
      case Commande::Action::Nettoyer:
        if (commande.tous) return NettoyerTous();
        return NettoyerPrefixe(commande.prefixe ? std::filesystem::path(*commande.prefixe)
                                                : os::Drive::ownFolder());
      case Commande::Action::Choisir:
        ouverture.genre = Ouverture::Genre::Choix;
        return std::nullopt;
      case Commande::Action::Fenetres:
        ouverture.genre = Ouverture::Genre::Fenetres;
        ouverture.lecteur = commande.prefixe ? os::Drive::existing(*commande.prefixe)
                                             : os::Drive::own(os::Drive::ownFolder());
        return std::nullopt;
    }
  } catch (const std::exception& e) {
    std::cerr << "tidora2000 : " << e.what() << '\n';
    if (refus != nullptr && commande.action == Commande::Action::Fenetres) *refus = e.what();
    const bool nettoyage = commande.action == Commande::Action::Apercu ||
                           commande.action == Commande::Action::Nettoyer;
    return nettoyage ? kRefuse : 1;
  }
  return std::nullopt;
}
