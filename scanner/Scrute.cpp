#include "scanner/Scrute.h"

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/DirectorySearch.h"

namespace {

// Attribute masks of the two searches of a level: files admit everything; the sub-folder search
// admits directories, hidden and system entries (only volume labels are left out).
constexpr std::uint32_t kMasqueFichiers = 63;
constexpr std::uint32_t kMasqueSousDossiers = 22;

// A mask is matched against the names of one folder; a separator or a drive colon in it would
// make the search look elsewhere while the reports still name files of this folder.
bool MasqueUtilisable(std::string_view masque) noexcept {
  return masque.find_first_of("\\/:") == masque.npos;
}

}  // namespace

std::string_view TScruteDossier::NomFichier() const noexcept {
  const std::string_view fichier = fichier_;
  const std::size_t separateur = fichier.find_last_of("\\:");
  return separateur == fichier.npos ? fichier : fichier.substr(separateur + 1);
}

void TScruteDossier::Execute() {
  if (OnExecute) OnExecute(*this);
  Arret = false;
  fichier_.clear();
  dossierCourant_.clear();
  tailleFichier_ = 0;
  // One path buffer for the whole walk, local so that a scan started from a handler cannot
  // disturb this one; the mask is copied so that a handler changing Filtre does not either.
  std::string chemin;
  chemin.reserve(512);
  chemin = Dossier;
  const std::string masque = Filtre;
  ScruteRepertoire(0, chemin, SousDossier, kMasqueFichiers, masque);
  if (OnFinExecute) OnFinExecute(*this);
}

void TScruteDossier::ScruteRepertoire(std::int32_t niveau, std::string& dossier, bool recurse,
                                      std::uint32_t masqueAttributs, const std::string& masque) {
  if (niveau > MaxPenetration) return;
  if (!dossier.empty() && dossier.back() == '\\') dossier.pop_back();
  // An empty folder ("" or "\") is neither the current folder nor the root: nothing to scan.
  if (dossier.empty()) return;
  if (niveau == 0) debutNoms_ = dossier.size() + 1;

  ScruteFichiers(dossier, masque, masqueAttributs);

  const std::size_t longueur = dossier.size();
  dossier += "\\*.*";
  os::DirectorySearch recherche(dossier, kMasqueSousDossiers);
  dossier.resize(longueur);
  if (!recherche.isOpen()) return;
  do {
    const std::string& nom = recherche.name();
    if (nom == "." || nom == ".." || !recherche.isDirectory()) continue;
    dossierCourant_.assign(dossier).append(1, '\\').append(nom);
    if (OnDossier) OnDossier(*this, dossierCourant_);
    if (Arret) return;
    // A directory link (symbolic link, junction) or a mount point is reported but never
    // entered: it could lead the walk out of the tree it was pointed at, or round in a loop.
    if (recurse && !recherche.isReparsePoint()) {
      dossier.append(1, '\\').append(nom);
      ScruteRepertoire(niveau + 1, dossier, recurse, masqueAttributs, masque);
      dossier.resize(longueur);
    }
    Vider();
  } while (recherche.next());
}

void TScruteDossier::ScruteFichiers(std::string& dossier, const std::string& masque,
                                    std::uint32_t masqueAttributs) {
  if (!MasqueUtilisable(masque)) return;
  const std::size_t longueur = dossier.size();
  dossier.append(1, '\\').append(masque);
  os::DirectorySearch recherche(dossier, masqueAttributs);
  dossier.resize(longueur);
  if (!recherche.isOpen()) return;
  do {
    Vider();
    if (recherche.isDirectory()) continue;
    if (OnFichier) {
      fichier_.assign(dossier).append(1, '\\').append(recherche.name());
      tailleFichier_ = recherche.size();
      OnFichier(*this, fichier_);
    }
    if (Arret) return;
  } while (recherche.next());
}

void TScruteDossier::Vider() {
  if (TraiterMessages) TraiterMessages();
}
