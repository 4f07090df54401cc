#include "kits/ligne/Ligne.h"

#include <unistd.h>

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string_view>
#include <system_error>
#include <vector>

#include "kits/ligne/Affichable.h"
#include "kits/ligne/Arguments.h"
#include "kits/ligne/ChoixLigne.h"
#include "kits/ligne/GardesLigne.h"
#include "kits/ligne/Nettoyage.h"
#include "kits/ligne/SortieApercu.h"
#include "kits/ligne/Sortie.h"
#include "kits/ligne/Tableau.h"
#include "kits/ligne/Textes.h"
#include "platform/SystemError.h"
#include "prefixes/ApercuPrefixe.h"
#include "prefixes/Apercus.h"
#include "prefixes/Cible.h"
#include "prefixes/Choix.h"
#include "prefixes/Liste.h"
#include "prefixes/Taille.h"

namespace {

void Erreur(const std::string& texte) {
  std::cerr << "tidora2000 : " << Visible(texte) << '\n' << std::flush;
}

// The prefixes found, their warnings said on standard error.
std::vector<Prefixe> Trouver(const Maison& maison) {
  Recherche r = TrouverPrefixes(maison);
  for (const std::string& a : r.avertissements) Erreur(a);
  return std::move(r.prefixes);
}

Statut Prefixes(const Commande& c) {
  std::vector<Prefixe> prefixes = Trouver(Maison::DuSysteme());
  ChercherUtilisateurs(prefixes);
  MesurerTailles(prefixes);
  TrierParTaille(prefixes);
  if (c.json) return AvecSortie(Ecrire(DocumentJson(prefixes)) ? Statut::Fait : Statut::Incomplet);
  if (c.tsv || ::isatty(STDOUT_FILENO) == 0) {
    return AvecSortie(Ecrire(LignesTsv(prefixes)) ? Statut::Fait : Statut::Incomplet);
  }
  if (prefixes.empty()) Ecrire("Aucun préfixe Wine ou Proton trouvé.\n");
  else Ecrire(Tableau(prefixes));
  return AvecSortie(Statut::Fait);
}

// The folders the launchers install games into for the prefix `dossier`, however it is reached.
std::vector<std::filesystem::path> JeuxDe(const std::filesystem::path& dossier,
                                          const std::vector<Prefixe>& connus) {
  std::error_code ec;
  for (const Prefixe& p : connus) {
    if (std::filesystem::equivalent(p.chemin, dossier, ec)) return p.jeux;
  }
  return {};
}

// The prefix worked on: the one the command line names, else $WINEPREFIX, else the program's own
// prefix (`propre`). Throws ErreurCible or os::SystemError.
Prefixe Cible(const Commande& c, const std::vector<Prefixe>& connus, bool& propre) {
  propre = false;
  if (c.cible) return TrouverCible(*c.cible, connus);
  const char* wine = std::getenv("WINEPREFIX");
  if (wine != nullptr && wine[0] == '/') return TrouverCible(wine, connus);
  propre = true;
  Prefixe p;
  p.chemin = os::Drive::ownFolder();
  p.nom = "Tidora 2000";
  p.jeux = JeuxDe(p.chemin, connus);  // a game's prefix may serve as the program's own
  return p;
}

// The previews on standard output: Fait once shown, Refuse when there is none (no prefix) or a
// run would fail.
Statut Apercevoir(const Commande& c) {
  const Maison maison = Maison::DuSysteme();
  const ChoixCommuns choix = ChoixDeLUtilisateur(maison);
  std::vector<Prefixe> connus = Trouver(maison);
  std::vector<ApercuDuPrefixe> apercus;
  if (c.tous) {
    ChercherUtilisateurs(connus);
    apercus = ApercevoirTous(connus, choix);
  } else {
    bool propre = false;
    Prefixe p = Cible(c, connus, propre);
    std::vector<Prefixe> un{p};
    ChercherUtilisateurs(un);
    ApercuDuPrefixe a = ApercevoirUn(un.front(), choix, propre);
    if (!a.apercu) {
      Erreur(a.erreur);
      return Statut::Refuse;
    }
    apercus.push_back(std::move(a));
  }
  Statut statut = Statut::Fait;
  for (const ApercuDuPrefixe& a : apercus) {
    if (a.prefixe.utilisateur) {
      Erreur("attention, le préfixe " + a.prefixe.chemin.string() + " est utilisé par " +
             a.prefixe.utilisateur->program + " (processus " +
             std::to_string(a.prefixe.utilisateur->pid) +
             ") : un nettoyage y serait refusé tant qu'il l'est");
    }
    if (!a.apercu || !a.apercu->erreur.empty()) statut = Statut::Refuse;
  }
  const std::string texte = c.json  ? DocumentJsonApercus(apercus)
                            : c.tsv ? LignesTsvApercus(apercus)
                                    : TexteApercus(apercus);
  Ecrire(texte);
  return AvecSortie(statut);
}

Statut Nettoyer(const Commande& c) {
  const Maison maison = Maison::DuSysteme();
  const ChoixCommuns choix = ChoixDeLUtilisateur(maison);
  std::vector<Prefixe> connus = Trouver(maison);
  if (c.tous) {
    ChercherUtilisateurs(connus);
    return NettoyerTous(connus, choix);
  }
  bool propre = false;
  const Prefixe p = Cible(c, connus, propre);
  return NettoyerPrefixe(p, choix, propre);
}

}  // namespace

std::optional<int> LigneDeCommande(int argc, char* argv[], Ouverture& ouverture,
                                   std::string* refus) {
  Commande commande;
  try {
    commande = LireArguments(std::vector<std::string_view>(argv + std::min(argc, 1), argv + argc));
  } catch (const ErreurArguments& e) {
    std::cerr << "tidora2000 : " << Visible(e.what()) << "\nEssayez « tidora2000 --aide ».\n";
    return Code(Statut::Refuse);
  }
  using Action = Commande::Action;
  try {
    switch (commande.action) {
      case Action::Aide:
        return Code(AvecSortie(Ecrire(TexteAide()) ? Statut::Fait : Statut::Incomplet));
      case Action::Version:
        return Code(AvecSortie(Ecrire(TexteVersion()) ? Statut::Fait : Statut::Incomplet));
      case Action::Prefixes:
        return Code(Prefixes(commande));
      case Action::Choix:
        return Code(Choix(commande));
      case Action::Garder:
      case Action::NePlusGarder:
        return Code(Gardes(commande));
      case Action::Apercu:
        return Code(Apercevoir(commande));
      case Action::Nettoyer:
        return Code(Nettoyer(commande));
      case Action::Choisir:
        ouverture.genre = Ouverture::Genre::Choix;
        return std::nullopt;
      case Action::Fenetres: {
        ouverture.genre = Ouverture::Genre::Fenetres;
        if (!commande.cible) {
          ouverture.lecteur = os::Drive::own(os::Drive::ownFolder());
          const os::Drive& lecteur = *ouverture.lecteur;
          if (!lecteur.madeByProgram()) {
            // A Wine prefix serving as the program's own: protected as any other one, and
            // nothing written there before VALIDER.
            ouverture.etranger = true;
            const Maison maison = Maison::DuSysteme();
            ouverture.proteger = !ChoixDeLUtilisateur(maison).sauvegardes;
            ouverture.jeux =
                CheminsDansLeLecteur(lecteur.prefix(), JeuxDe(lecteur.prefix(), Trouver(maison)));
            ouverture.sauvegardes = SauvegardesNommees(lecteur);
          }
          return std::nullopt;
        }
        const Maison maison = Maison::DuSysteme();
        const Prefixe p = TrouverCible(*commande.cible, Trouver(maison));
        PrefixeOuvert ouvert = OuvrirPrefixe(p, ChoixDeLUtilisateur(maison));
        ouverture.lecteur = std::move(ouvert.lecteur);
        ouverture.nom = p.nom;
        ouverture.proteger = ouvert.proteger;
        ouverture.jeux = std::move(ouvert.jeux);
        ouverture.sauvegardes = std::move(ouvert.sauvegardes);
        ouverture.gardes = std::move(ouvert.gardes);
        ouverture.etranger = true;
        return std::nullopt;
      }
    }
  } catch (const ErreurArguments& e) {
    std::cerr << "tidora2000 : " << Visible(e.what()) << "\nEssayez « tidora2000 --aide ».\n";
    return Code(Statut::Refuse);
  } catch (const std::exception& e) {
    Erreur(e.what());
    if (refus != nullptr && commande.action == Action::Fenetres) *refus = e.what();
    return Code(Statut::Refuse);
  }
  return std::nullopt;
}
