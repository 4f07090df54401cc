#include "prefixes/Liste.h"

#include <set>

#include "prefixes/Bottles.h"
#include "prefixes/Heroic.h"
#include "prefixes/Lutris.h"
#include "prefixes/Steam.h"
#include "prefixes/Wine.h"

Recherche TrouverPrefixes(const Maison& maison) {
  Collecte collecte;
  CandidatsSteam(maison, collecte);
  CandidatsLutris(maison, collecte);
  CandidatsHeroic(maison, collecte);
  CandidatsBottles(maison, collecte);
  CandidatsWine(maison, collecte);
  Recherche r;
  std::set<os::FileId> vus;
  for (Candidat& c : collecte.candidats) {
    const std::optional<os::FileId> id = os::winePrefixId(c.chemin);
    if (!id || !vus.insert(*id).second) continue;
    Prefixe p;
    p.chemin = std::move(c.chemin);
    p.origine = c.origine;
    p.nom = std::move(c.nom);
    p.id = *id;
    r.prefixes.push_back(std::move(p));
  }
  r.avertissements = std::move(collecte.avertissements);
  return r;
}

void ChercherUtilisateurs(std::vector<Prefixe>& prefixes) {
  std::vector<std::filesystem::path> chemins;
  for (const Prefixe& p : prefixes) chemins.push_back(p.chemin);
  std::vector<std::optional<os::PrefixUser>> utilisateurs = os::prefixUsers(chemins);
  for (std::size_t i = 0; i < prefixes.size(); ++i) {
    prefixes[i].utilisateur = std::move(utilisateurs[i]);
  }
}
