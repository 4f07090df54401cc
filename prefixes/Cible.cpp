#include "prefixes/Cible.h"

#include <sys/stat.h>

#include <optional>
#include <string>
#include <system_error>

#include "platform/NameCase.h"
#include "platform/PrefixCheck.h"

namespace fs = std::filesystem;

namespace {

// Candidates named in a message: « name » (origin, folder), at most a few.
std::string Candidats(const std::vector<const Prefixe*>& liste) {
  std::string texte;
  constexpr std::size_t kMontres = 8;
  for (std::size_t i = 0; i < liste.size() && i < kMontres; ++i) {
    if (i > 0) texte += ", ";
    texte += "« " + liste[i]->nom + " » (" + std::string(NomOrigine(liste[i]->origine)) + ", " +
             liste[i]->chemin.string() + ")";
  }
  if (liste.size() > kMontres) texte += " et " + std::to_string(liste.size() - kMontres) + " autres";
  return texte;
}

// The one of `liste`, else an error saying there are none or several.
Prefixe Seul(const std::vector<const Prefixe*>& liste, std::string_view cible,
             const std::string& aucun) {
  if (liste.size() == 1) return *liste.front();
  if (liste.empty()) throw ErreurCible(aucun);
  throw ErreurCible("« " + std::string(cible) + " » désigne plusieurs préfixes : " +
                    Candidats(liste) + " ; donnez le dossier de l'un d'eux");
}

// The prefix the existing folder `dossier` is, holds as "pfx", or is the drive C of.
std::optional<fs::path> PrefixeDuDossier(const fs::path& dossier) {
  if (EstPrefixe(dossier)) return dossier;
  if (EstPrefixe(dossier / "pfx")) return dossier / "pfx";
  const fs::path normal = fs::absolute(dossier).lexically_normal();
  const fs::path sans = normal.has_filename() ? normal : normal.parent_path();
  if (sans.filename() == "drive_c" && EstPrefixe(sans.parent_path())) return sans.parent_path();
  return std::nullopt;
}

bool Chiffres(std::string_view texte) {
  return !texte.empty() && texte.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

bool EstPrefixe(const fs::path& dossier) {
  if (os::winePrefixId(dossier)) return true;
  struct stat lecteur {}, registre {};
  return ::lstat((dossier / "drive_c").c_str(), &lecteur) == 0 && S_ISDIR(lecteur.st_mode) &&
         ::lstat((dossier / "user.reg").c_str(), &registre) == 0 && S_ISREG(registre.st_mode);
}

Prefixe TrouverCible(std::string_view cible, const std::vector<Prefixe>& connus) {
  const fs::path chemin{std::string(cible)};
  struct stat st {};
  const bool existe = ::stat(chemin.c_str(), &st) == 0;
  if (existe && S_ISDIR(st.st_mode)) {
    const std::optional<fs::path> prefixe = PrefixeDuDossier(chemin);
    if (!prefixe) {
      throw ErreurCible("Le dossier " + chemin.string() +
                        " n'est pas un préfixe Wine (il lui faut un vrai dossier drive_c et un "
                        "registre, system.reg ou user.reg), ni le dossier compatdata d'un jeu, ni "
                        "le drive_c d'un préfixe");
    }
    struct stat soi {};
    const bool identifie = ::stat(prefixe->c_str(), &soi) == 0;
    const os::FileId id{static_cast<std::uint64_t>(soi.st_dev), static_cast<std::uint64_t>(soi.st_ino)};
    for (const Prefixe& p : connus) {
      if (identifie && p.id == id) return p;
    }
    Prefixe p;
    p.chemin = *prefixe;
    p.id = id;
    const fs::path normal = fs::absolute(*prefixe).lexically_normal();
    p.nom = (normal.has_filename() ? normal : normal.parent_path()).filename().string();
    return p;
  }
  if (existe || cible.find('/') != std::string_view::npos || cible.starts_with('.') ||
      cible.starts_with('~')) {
    throw ErreurCible("Le dossier " + chemin.string() + (existe ? " n'est pas un dossier" :
                                                                  " n'existe pas") +
                      " : rien n'a été créé");
  }
  std::vector<const Prefixe*> trouves;
  if (Chiffres(cible)) {
    for (const Prefixe& p : connus) {
      if (p.appid == cible) trouves.push_back(&p);
    }
    return Seul(trouves, cible,
                "Aucun préfixe de Steam pour le jeu n° " + std::string(cible) +
                    " : voyez « tidora2000 --prefixes »");
  }
  const std::string plie = os::foldedName(cible);
  for (const Prefixe& p : connus) {
    if (os::foldedName(p.nom) == plie) trouves.push_back(&p);
  }
  if (trouves.empty()) {
    for (const Prefixe& p : connus) {
      if (os::foldedName(p.nom).find(plie) != std::string::npos) trouves.push_back(&p);
    }
  }
  return Seul(trouves, cible,
              "Aucun préfixe ne s'appelle « " + std::string(cible) +
                  " » : voyez « tidora2000 --prefixes », ou donnez son dossier");
}
