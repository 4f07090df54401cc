#pragma once
// TScruteDossier: walks a folder tree and reports every file matching a mask and every
// sub-folder it finds, with a depth limit and a cooperative stop.
//
// Report order for one Execute():
//   OnExecute; the matching files of Dossier (level 0); then for each sub-folder, in the order
//   the folder's listing gives them: OnDossier(sub-folder), then everything beneath it
//   (depth first, files of a folder before its sub-folders); OnFinExecute.
// OnFichier: one matching file (never a folder); Fichier / NomFichier / TailleFichier describe it.
// OnDossier: one sub-folder (never "." or ".."); DossierCourant holds it. Directory links and
//   mount points are reported but never entered. Names holding "\" (os::Folder::unlisted()) are
//   no Windows path component: OnFichier never gets one (as a path it would name another file);
//   a folder of such a name is never entered.
// OnIntraitable: one matching file whose name holds "\", after the folder's others, as OnFichier
//   would report it (Fichier is then no path: its folder's, "\" and the name); its owner cannot
//   act on it but through DossierFichier() and NomDansDossier().
// Files are listed at levels 0..MaxPenetration; sub-folders of levels 1..MaxPenetration+1 are
//   reported. Setting Arret stops the walk: at most one more file is reported.
// The scan walks drive C of Lecteur, the drive it is given: without one it scans nothing.
// Each folder is opened once, relative to its parent, and listed once: its matching files, then
//   its sub-folders, come from that one listing. While OnFichier runs, DossierFichier() and
//   NomDansDossier() give the file as that folder lists it, to act on it through the folder.
// OnLieu is asked once for each folder whose listing reports a file, before its first report;
//   its answer goes with every file reported from that folder (LieuFichier).
// OnListe is called once for each folder the scan lists, before its files are reported, with the
//   open folder. OnEntrer is asked before the scan enters a sub-folder (after its OnDossier
//   report): false keeps it out, as the depth rule does; without OnEntrer every one is entered.
// TraiterMessages is called before every matching entry of a folder's listing and after every
//   sub-folder; the owner plugs its event processing in there.
// An empty Dossier ("" or "\") scans nothing. An empty Filtre, or one holding "\", "/" or ":",
//   matches no file.
// TailleFichier is the full 64-bit size.
// A failure thrown by a handler ends the scan at once (OnFinExecute is not called); every
//   folder is closed on every way out.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/Drive.h"
#include "platform/Folder.h"
#include "platform/Mask.h"

class TScruteDossier;

using TScruteEvent = std::function<void(TScruteDossier& Sender, const std::string& Nom)>;
using TNotifyEvent = std::function<void(TScruteDossier& Sender)>;
// The place of the folder `Dossier` (its full path), as its owner sorts folders.
using TLieuEvent = std::function<int(TScruteDossier& Sender, const std::string& Dossier)>;
// One folder listed, open as `Dossier`.
using TListeEvent = std::function<void(TScruteDossier& Sender, os::Folder& Dossier)>;
// Whether to enter the sub-folder `Dossier` (its full path).
using TEntrerEvent = std::function<bool(TScruteDossier& Sender, const std::string& Dossier)>;

class TScruteDossier {
 public:
  TScruteDossier() = default;

  // The drive whose folders are walked; it must outlive every scan.
  const os::Drive* Lecteur = nullptr;
  std::string Dossier = "c:\\";
  std::string Filtre = "*.*";
  bool SousDossier = true;
  TScruteEvent OnFichier;
  TScruteEvent OnIntraitable;
  TScruteEvent OnDossier;
  TNotifyEvent OnExecute;
  TNotifyEvent OnFinExecute;
  TLieuEvent OnLieu;
  TListeEvent OnListe;
  TEntrerEvent OnEntrer;
  std::int32_t MaxPenetration = 10000;

  // Stop request; anyone may set it while a scan runs. Cleared by every Execute().
  bool Arret = false;
  // Drain hook; does nothing unless the owner sets it.
  std::function<void()> TraiterMessages;

  // Runs one whole scan with the current settings.
  void Execute();

  // Full path of the file being reported.
  const std::string& Fichier() const noexcept { return fichier_; }
  // File-name part of Fichier(): everything after its last "\" or ":".
  std::string_view NomFichier() const noexcept;
  // Size in bytes of the file being reported.
  std::uint64_t TailleFichier() const noexcept { return tailleFichier_; }
  // Full path of the sub-folder being reported.
  const std::string& DossierCourant() const noexcept { return dossierCourant_; }
  // While OnFichier runs: the open folder that listed the file, and the file's exact name in it
  // (nullptr and "" otherwise).
  os::Folder* DossierFichier() const noexcept { return dossierFichier_; }
  std::string_view NomDansDossier() const noexcept { return nomDansDossier_; }
  // While OnFichier runs: the place OnLieu gave the folder that listed the file (0 without it).
  int LieuFichier() const noexcept { return lieuFichier_; }

 private:
  // `masque` nullptr: no file matches.
  void ScruteRepertoire(std::int32_t niveau, os::Folder& dossier, bool recurse,
                        const os::Mask* masque);
  void ScruteFichiers(os::Folder& dossier, const os::Mask* masque);
  void DrainerMessages();

  std::string fichier_;
  std::uint64_t tailleFichier_ = 0;
  std::string dossierCourant_;
  os::Folder* dossierFichier_ = nullptr;
  std::string_view nomDansDossier_;
  int lieuFichier_ = 0;
};
