#include "scanner/Scrute.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace {

// A mask is matched against the names of one folder; a separator or a drive colon in it would
// make a search look elsewhere while the reports still name files of this folder. An empty mask
// names no file.
bool MasqueUtilisable(std::string_view masque) noexcept {
  return !masque.empty() && masque.find_first_of("\\/:") == masque.npos;
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
  // Copied so that a handler changing Filtre or Dossier does not disturb this scan.
  std::string dossier = Dossier;
  if (!dossier.empty() && dossier.back() == '\\') dossier.pop_back();
  const os::Mask masque(Filtre);
  const os::Mask* fichiers = MasqueUtilisable(Filtre) ? &masque : nullptr;
  // An empty folder ("" or "\") is neither the current folder nor the root: nothing to scan.
  if (Lecteur != nullptr && !dossier.empty() && MaxPenetration >= 0) {
    if (std::optional<os::Folder> racine = Lecteur->openFolder(dossier)) {
      ScruteRepertoire(0, *racine, SousDossier, fichiers);
    }
  }
  if (OnFinExecute) OnFinExecute(*this);
}

// Every entry of the listing is admitted, hidden, system and read-only ones included (a listing
// holds no volume label): the files that match the mask, then the sub-folders whatever the mask.
void TScruteDossier::ScruteRepertoire(std::int32_t niveau, os::Folder& dossier, bool recurse,
                                      const os::Mask* masque) {
  if (OnListe) OnListe(*this, dossier);
  ScruteFichiers(dossier, masque);
  const std::size_t nombre = dossier.count();
  for (std::size_t i = 0; i < nombre; ++i) {
    if (!dossier.isFolder(i)) continue;
    const std::string_view nom = dossier.name(i);
    dossierCourant_.assign(dossier.path()).append(1, '\\').append(nom);
    if (OnDossier) OnDossier(*this, dossierCourant_);
    if (Arret) return;
    // A directory link (symbolic link, junction) or a mount point is reported but never
    // entered (openChild refuses it): it could lead the walk out of the tree it was pointed at,
    // or round in a loop. The folders of level MaxPenetration + 1 are reported, never opened.
    if (recurse && niveau < MaxPenetration && (!OnEntrer || OnEntrer(*this, dossierCourant_))) {
      if (std::optional<os::Folder> sous = dossier.openChild(nom)) {
        ScruteRepertoire(niveau + 1, *sous, recurse, masque);
      }
    }
    DrainerMessages();
  }
}

void TScruteDossier::ScruteFichiers(os::Folder& dossier, const os::Mask* masque) {
  if (masque == nullptr) return;
  // The files no Windows path names come last, each to OnIntraitable.
  const std::size_t listes = dossier.count(), nombre = listes + dossier.unlisted();
  // The folder's place is asked for once, before its first report; a folder with nothing to
  // report is never asked about.
  bool lieuConnu = false;
  int lieu = 0;
  for (std::size_t i = 0; i < nombre; ++i) {
    const std::string_view nom = dossier.name(i);
    if (!masque->matches(nom)) continue;
    DrainerMessages();
    if (dossier.isFolder(i)) continue;
    if (const TScruteEvent& rapport = i < listes ? OnFichier : OnIntraitable) {
      if (!lieuConnu) {
        lieu = OnLieu ? OnLieu(*this, dossier.path()) : 0;
        lieuConnu = true;
      }
      lieuFichier_ = lieu;
      fichier_.assign(dossier.path()).append(1, '\\').append(nom);
      tailleFichier_ = dossier.fileSize(i);
      dossierFichier_ = &dossier;
      nomDansDossier_ = nom;
      struct FinDuRapport {
        TScruteDossier& s;
        ~FinDuRapport() {
          s.dossierFichier_ = nullptr;
          s.nomDansDossier_ = {};
        }
      } fin{*this};
      rapport(*this, fichier_);
    }
    if (Arret) return;
  }
}

void TScruteDossier::DrainerMessages() {
  if (TraiterMessages) TraiterMessages();
}
