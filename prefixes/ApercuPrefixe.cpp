#include "prefixes/ApercuPrefixe.h"

#include <map>
#include <optional>
#include <system_error>

#include "options/FichierOptions.h"

namespace fs = std::filesystem;

namespace {

// `chemin` strictly below `racine`, both as written or both with their links resolved: the path
// from `racine` to it; nothing otherwise.
std::optional<fs::path> Sous(const fs::path& chemin, const fs::path& racine) {
  std::error_code ec;
  const std::pair<fs::path, fs::path> formes[] = {
      {chemin.lexically_normal(), racine.lexically_normal()},
      {fs::weakly_canonical(chemin, ec), fs::weakly_canonical(racine, ec)}};
  for (const auto& [c, r] : formes) {
    if (c.empty() || r.empty()) continue;
    const fs::path relatif = c.lexically_relative(r);
    if (!relatif.empty() && relatif != "." && *relatif.begin() != "..") return relatif;
  }
  return std::nullopt;
}

// "c:\x" becomes "C:\x": one spelling of the drive for every path shown (what a run is told to
// leave is never matched by this text, see FichierApercu::Repere).
void LettreMajuscule(std::string& chemin) {
  if (chemin.size() >= 2 && chemin[1] == ':' && chemin[0] >= 'a' && chemin[0] <= 'z') {
    chemin[0] = static_cast<char>(chemin[0] - 'a' + 'A');
  }
}

}  // namespace

std::vector<std::string> SauvegardesNommees(const os::Drive& lecteur) {
  std::vector<std::string> dossiers;
  const std::optional<os::RegistryKey> cle =
      lecteur.openKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
  if (!cle) return dossiers;
  for (const char* nom : {"Personal", "{4C5C32FF-BB9D-43B0-B5B4-2D72E54EAAA4}"}) {
    const std::optional<os::RegistryValue> v = cle->query(nom);
    if (!v || (v->type != os::reg::Sz && v->type != os::reg::ExpandSz)) continue;
    std::string chemin = v->data.substr(0, v->data.find('\0'));
    if (!chemin.empty()) dossiers.push_back(std::move(chemin));
  }
  return dossiers;
}

std::vector<std::string> CheminsDansLeLecteur(const fs::path& prefixe,
                                              const std::vector<fs::path>& jeux) {
  std::vector<std::string> chemins;
  for (const fs::path& jeu : jeux) {
    const std::optional<fs::path> relatif = Sous(jeu, prefixe / "drive_c");
    if (!relatif) continue;
    std::string windows = "C:";
    for (const fs::path& nom : *relatif) {
      if (nom.empty() || nom == ".") continue;
      windows += '\\';
      windows += nom.string();
    }
    chemins.push_back(std::move(windows));
  }
  return chemins;
}

namespace {

PrefixeOuvert Ouvrir(const fs::path& dossier, std::optional<os::FileId> id,
                     const std::vector<fs::path>& jeux, const ChoixCommuns& choix, bool propre) {
  PrefixeOuvert prefixe{os::Drive::existing(dossier, id), {}, false, true, {}, {}, {}};
  prefixe.jeux = CheminsDansLeLecteur(dossier, jeux);
  prefixe.gardes = CheminsGardes(choix.gardes, dossier);
  prefixe.sauvegardes = SauvegardesNommees(prefixe.lecteur);
  prefixe.proteger = !choix.sauvegardes && !(propre && prefixe.lecteur.madeByProgram());
  prefixe.choixPropres = OptionsEnregistrees(prefixe.lecteur);
  if (prefixe.choixPropres) {
    LireOptions(prefixe.lecteur, prefixe.plan);
  } else {
    LireLignes(ComposerOptions(prefixe.lecteur, choix.cases, choix.masques, Composition::EnMemoire),
               prefixe.plan);
  }
  prefixe.plan.OptionsValidees = true;
  return prefixe;
}

}  // namespace

PrefixeOuvert OuvrirPrefixe(const fs::path& dossier, const std::vector<fs::path>& jeux,
                            const ChoixCommuns& choix, bool propre) {
  return Ouvrir(dossier, std::nullopt, jeux, choix, propre);
}

PrefixeOuvert OuvrirPrefixe(const Prefixe& prefixe, const ChoixCommuns& choix, bool propre) {
  std::optional<os::FileId> id;
  if (prefixe.id != os::FileId{}) id = prefixe.id;
  return Ouvrir(prefixe.chemin, id, prefixe.jeux, choix, propre);
}

Apercu ApercuPrefixe(const PrefixeOuvert& prefixe) {
  Apercu apercu = ApercuMenage(prefixe.lecteur, prefixe.plan, prefixe.jeux, prefixe.sauvegardes,
                               prefixe.proteger, prefixe.gardes);
  // Every path spelled "C:\..." alike, and where it lies on the host: each folder resolved once.
  std::map<std::string, std::string> hotes;
  auto placer = [&](FichierApercu& f) {
    LettreMajuscule(f.chemin);
    const std::size_t cut = f.finDossier != 0 ? f.finDossier : f.chemin.rfind('\\');
    const std::string dossier = f.chemin.substr(0, cut);
    auto [h, nouveau] = hotes.try_emplace(dossier);
    if (nouveau) {
      if (std::optional<fs::path> p = prefixe.lecteur.hostPath(dossier)) h->second = p->string();
    }
    if (!h->second.empty()) f.hote = h->second + "/" + f.chemin.substr(cut + 1);
  };
  for (FichierApercu& f : apercu.fichiers) placer(f);
  for (FichierApercu& f : apercu.proteges) placer(f);
  for (FichierApercu& f : apercu.gardes) placer(f);
  for (std::string& d : apercu.dossiers) LettreMajuscule(d);
  return apercu;
}
