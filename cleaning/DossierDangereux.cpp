#include "cleaning/DossierDangereux.h"

#include <algorithm>

#include "cleaning/Emplacements.h"
#include "cleaning/LibellesDossiers.h"
#include "platform/PathNames.h"

namespace {

RefusDossier Refus(const char* lieu, const char* raison) {
  return {lieu, raison};
}

// "X:" alone or followed by "\" or "/": a full path (not "X:name", relative to a current folder).
bool CheminComplet(std::string_view dossier) noexcept {
  if (dossier.size() < 2 || dossier[1] != ':') return false;
  const char lecteur = dossier[0];
  if (!((lecteur >= 'A' && lecteur <= 'Z') || (lecteur >= 'a' && lecteur <= 'z'))) return false;
  return dossier.size() == 2 || dossier[2] == '\\' || dossier[2] == '/';
}

// The folder `dossier` is `lieu` ("est ...") or holds it ("contient ...").
std::optional<RefusDossier> EstOuContient(const CheminPlie& dossier, const CheminPlie& lieu,
                                          const char* code, const std::string& nom) {
  if (!Dans(lieu, dossier)) return std::nullopt;
  return RefusDossier{code, (lieu.noms.size() == dossier.noms.size() ? "est " : "contient ") + nom};
}

}  // namespace

bool DossierDangereux(std::string_view dossier) noexcept {
  // "X:" then at least one name that is still there once "." and ".." are resolved.
  if (dossier.size() < 2 || dossier[1] != ':') return true;
  const char lecteur = dossier[0];
  if (!((lecteur >= 'A' && lecteur <= 'Z') || (lecteur >= 'a' && lecteur <= 'z'))) return true;
  try {
    return os::pathNames(dossier.substr(2)).empty();
  } catch (...) {
    return true;  // no memory for the names: the safe answer
  }
}

std::optional<RefusDossier> RefuserDossier(std::string_view dossier, std::string_view windows,
                                           const std::vector<std::string>& jeux,
                                           const std::vector<std::string>& sauvegardes,
                                           bool proteger) {
  if (!CheminComplet(dossier)) return Refus("chemin", "n'est pas un chemin complet");
  const CheminPlie plie = Plier(dossier);
  const std::vector<std::string>& noms = plie.noms;
  if (noms.empty()) return Refus("racine", "est la racine d'un lecteur");

  const CheminPlie systeme = Plier(windows);
  if (plie.lecteur == "c" || plie.lecteur == systeme.lecteur) {
    if (!systeme.noms.empty()) {
      if (auto r = EstOuContient(plie, systeme, "windows", "le dossier de Windows")) return r;
      // Within it, only its temporary folder and the registry backups are the run's.
      if (Dans(plie, systeme)) {
        const std::string& sous = noms[systeme.noms.size()];
        if (sous != "temp" && sous != "tmp" && sous != "sysbckup") {
          return Refus("windows", "est dans le dossier de Windows");
        }
      }
    }
    const bool seul = noms.size() == 1;
    if (noms[0] == "program files" || noms[0] == "program files (x86)") {
      return Refus("programmes",
                   seul ? "est le dossier des programmes" : "est dans le dossier des programmes");
    }
    if (noms[0] == "programdata" && seul) {
      return Refus("donnees_programmes", "est le dossier des données des programmes");
    }
    if (noms[0] == "users" && noms.size() <= 2) {
      return seul ? Refus("utilisateurs", "est le dossier des utilisateurs")
                  : Refus("profil", "est un profil d'utilisateur");
    }
  }

  if (EstSauvegarde(plie, sauvegardes))
    return Refus("sauvegardes", "est un emplacement de sauvegardes");
  // A profile's AppData holds its Roaming, Local and LocalLow folders.
  bool contient =
      plie.lecteur == "c" && noms.size() == 3 && noms[0] == "users" && noms[2] == "appdata";
  for (const std::string& s : sauvegardes) {
    contient = contient || (!DossierDangereux(s) && Dans(Plier(s), plie));
  }
  if (contient) return Refus("sauvegardes", "contient un emplacement de sauvegardes");

  if (!proteger) return std::nullopt;
  if (SauvegardeDe(plie, sauvegardes) > 0) {
    return Refus("sauvegardes", "est dans un emplacement de sauvegardes");
  }
  for (const std::string& jeu : jeux) {
    if (DossierDangereux(jeu)) continue;
    const CheminPlie lieu = Plier(jeu);
    if (auto r = EstOuContient(plie, lieu, "jeux", "le dossier d'un jeu")) return r;
    if (Dans(plie, lieu)) return Refus("jeux", "est dans le dossier d'un jeu");
  }
  return std::nullopt;
}

std::string PasseSautee::Texte() const {
  const std::string_view nom = NomDePasse(cle);
  std::string texte = "Passe « ";
  texte += nom.empty() ? std::string_view(cle) : nom;
  texte += " » sautée : ";
  texte += dossier;
  texte += ' ';
  texte += refus.raison;
  return texte;
}
