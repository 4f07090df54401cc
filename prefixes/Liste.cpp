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

std::vector<LieuxDUnLanceur> LieuxCherches(const Maison& m) {
  const std::filesystem::path& h = m.dossier;
  auto plus = [](std::vector<std::filesystem::path> a, std::vector<std::filesystem::path> b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  std::vector<LieuxDUnLanceur> lieux;
  lieux.push_back({Origine::Steam,
                   plus(m.SousDonnees("Steam"),
                        {h / ".steam/steam", h / ".steam/root", h / ".steam/debian-installation",
                         h / ".var/app/com.valvesoftware.Steam/data/Steam",
                         h / ".var/app/com.valvesoftware.Steam/.local/share/Steam",
                         h / "snap/steam/common/.steam/root"})});
  lieux.push_back(
      {Origine::Lutris, plus(plus(m.SousDonnees("lutris/games"), m.SousConfig("lutris/games")),
                             {h / ".var/app/net.lutris.Lutris/data/lutris/games",
                              h / ".var/app/net.lutris.Lutris/config/lutris/games"})});
  lieux.push_back({Origine::Heroic, plus(plus(m.SousConfig("heroic"), m.SousDonnees("heroic")),
                                         {h / ".var/app/com.heroicgameslauncher.hgl/config/heroic",
                                          h / "Games/Heroic/Prefixes"})});
  lieux.push_back({Origine::Bottles, plus(m.SousDonnees("bottles"),
                                          {h / ".var/app/com.usebottles.bottles/data/bottles"})});
  std::vector<std::filesystem::path> wine;
  if (!m.winePrefix.empty()) wine.push_back(m.winePrefix.lexically_normal());
  wine.push_back(h / ".wine");
  wine = plus(plus(wine, m.SousDonnees("wineprefixes")),
              m.SousDonnees("PortWINE/PortProton/data/prefixes"));
  wine.push_back(h / ".PlayOnLinux/wineprefix");
  lieux.push_back({Origine::Wine, std::move(wine)});
  return lieux;
}

void ChercherUtilisateurs(std::vector<Prefixe>& prefixes) {
  std::vector<std::filesystem::path> chemins;
  for (const Prefixe& p : prefixes) chemins.push_back(p.chemin);
  std::vector<std::optional<os::PrefixUser>> utilisateurs = os::prefixUsers(chemins);
  for (std::size_t i = 0; i < prefixes.size(); ++i) {
    prefixes[i].utilisateur = std::move(utilisateurs[i]);
  }
}
