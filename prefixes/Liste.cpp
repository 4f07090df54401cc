#include "prefixes/Liste.h"

#include <map>

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
  std::map<os::FileId, std::size_t> vus;  // the index of each prefix kept
  for (Candidat& c : collecte.candidats) {
    const std::optional<os::FileId> id = os::winePrefixId(c.chemin);
    if (!id) continue;
    if (const auto deja = vus.find(*id); deja != vus.end()) {
      // Named again (two games sharing a prefix): its games' folders join the first.
      std::vector<std::filesystem::path>& jeux = r.prefixes[deja->second].jeux;
      jeux.insert(jeux.end(), c.jeux.begin(), c.jeux.end());
      continue;
    }
    vus.emplace(*id, r.prefixes.size());
    Prefixe p;
    p.chemin = std::move(c.chemin);
    p.origine = c.origine;
    p.nom = std::move(c.nom);
    p.id = *id;
    p.jeux = std::move(c.jeux);
    p.appid = std::move(c.appid);
    p.desinstalle = c.desinstalle;
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
