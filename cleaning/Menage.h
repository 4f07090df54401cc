#pragma once
// The cleaning run: carries out a TPlanMenage pass by pass with one scanner, on the drive of its
// executant.
//
// Lancer(), in order: the count and size labels are reset; before the first validation of the
// options the options window is shown and nothing else happens; the executant may refuse the run
// (the real one while another program uses the prefix): Lancer() throws, nothing changed; the
// folder passes 0 to 4, the temporary folder's followed by the user's own temporary folder
// (Drive::userTempDirectory) when that is another folder, each only when RefuserDossier allows
// its folder, judged on the path given and on the folder's own path (Drive::folderPath): a
// refused pass is skipped and recorded (PassesSautees), the others go on; a folder pass never
// enters a save location or a game folder below its folder; the mask passes over "c:\" (unsafe
// masks are skipped, see MasqueDangereux; with ProtegerSauvegardes, the files in save locations
// and game folders are left and counted apart); the registry-backup pass ("*.cab" under
// TableDossiers[5], bounded as the folder passes); the typed-address purge (its key is always
// opened, and created by the real executant; "url1", "url2", ... are deleted up to the first
// missing number when chosen); the recent-search purge when chosen; the removal of the empty
// sub-folders of the temporary folders (SupprimerDossiersVides: never one the system makes, and
// of the user's own only those the run emptied); "FIN"; the summary. Before each step the
// executant is asked again whether the run may go on (Reverifier): a program that started in the
// prefix stops it as Stopper() does, and then the registry is not touched. A registry
// failure (a hive that cannot be read or saved) skips what is left of the registry steps; the run
// carries on to the summary, then Lancer() throws that failure. After Stopper() no further pass
// starts and neither purge nor the folder removal runs, but "FIN" and the summary still come. The
// plan is read afresh at each step: a validation during the run may rebuild it. A file the
// executant has already seen go (DejaSupprime) is passed over, neither counted nor touched.
// The files and folders the user keeps for good (CheminsGardes, resolved through the drive when
// the run starts) are left by every pass, counted apart (NbGardes) and told to the executant
// (Garder); a kept folder keeps everything below it, and is never removed as empty.
#include <cstdint>
#include <map>
#include <set>
#include <unordered_map>
#include <string>
#include <string_view>
#include <vector>

#include "cleaning/DossierDangereux.h"
#include "cleaning/Executant.h"
#include "cleaning/FenetreMenage.h"
#include "cleaning/FichierRepere.h"
#include "cleaning/Gardes.h"
#include "cleaning/LibellesDossiers.h"
#include "cleaning/PlanMenage.h"
#include "platform/Mask.h"
#include "scanner/Scrute.h"

class TMenage {
 public:
  // Binds the scanner's OnFichier, OnExecute and OnLieu to this run, and points it at the
  // executant's drive; every file, folder and registry value goes through `executant`. All four
  // must outlive it.
  TMenage(TScruteDossier& scrute, const TPlanMenage& plan, IFenetreMenage& fenetre,
          IExecutant& executant);
  // Unbinds the scanner's events.
  ~TMenage();
  TMenage(const TMenage&) = delete;
  TMenage& operator=(const TMenage&) = delete;

  // Start: the whole run; returns when it is over. Does nothing while a run is in progress.
  // A registry failure is thrown after the summary; the run is then over all the same.
  void Lancer();
  // Stop: the pass in progress ends after at most one more file; no further pass starts.
  // Outside a run it does nothing.
  void Stopper();
  // True between the start and the end of a run.
  bool EnCours() const noexcept { return enCours_; }

  // "0 kO", "1 kO", ...: a byte count in kilo-octets, rounded up.
  static std::string TexteTaille(std::uint64_t octets);

  std::uint64_t NbFichiers = 0;
  std::uint64_t TailleTotale = 0;
  std::uint64_t NbEchecs = 0;  // files left undeleted at the end of the run, each once
  std::int32_t IndexMotif = 0;
  // Protected files a mask found and left (ProtegerSauvegardes), each once, and their size.
  std::uint64_t NbProteges = 0;
  std::uint64_t TailleProtegee = 0;
  // Why the run stopped before its end when a program started in the prefix meanwhile, or "".
  std::string Interruption;
  // The folder passes the run skipped, their folder refused, in the run's order.
  std::vector<PasseSautee> PassesSautees;
  // A user's prefix: the mask passes leave the files that lie in save locations and game
  // folders, and no folder pass empties a folder inside one (RefuserDossier).
  bool ProtegerSauvegardes = false;
  // The Windows paths of save locations the drive's profile names beyond the usual ones.
  std::vector<std::string> DossiersSauvegardes;
  // The Windows paths of the folders a launcher installs the drive's games into: files there
  // lie in game folders (Emplacements.h).
  std::vector<std::string> DossiersJeux;
  // The Windows paths of the files and folders the user keeps for good.
  std::vector<std::string> CheminsGardes;
  // The kept files the run met and left, each once, and their size.
  std::uint64_t NbGardes = 0;
  std::uint64_t TailleGardee = 0;

 private:
  void ScruteDossier1Fichier(TScruteDossier& Sender, const std::string& Nom);
  void ScruteDossier1Execute(TScruteDossier& Sender);
  // One pass: `raison` is what takes its files (an option's key or a mask), `parMasque` whether
  // it is a mask pass over drive C.
  void Passe(const std::string& dossier, const std::string& filtre, std::string raison,
             bool parMasque);
  bool Continuer();
  // Whether the folder pass of option `cle` may empty `dossier`; a refusal is recorded.
  bool Permis(const char* cle, const std::string& dossier);
  void CarteDesMasques(std::int32_t premier);
  void FinirCarte();
  void Elaguer(const std::string& masque);
  bool MemeDossier(const std::string& a, const std::string& b) const;
  void PurgerAdresses();
  void PurgerRecherches();
  std::string Resume() const;
  // The scanner lists `dossier` during a pass: whether it is kept, and where it lies.
  void Lister(const os::Folder& dossier);
  // The file `fichier` of the folder listed last is kept: counted (once) and told, true.
  bool Garder(const Entree& fichier);
  void NoterEchec(const os::Folder& dossier, std::string_view nom);
  std::uint64_t EchecsRestants() const;

  TScruteDossier& scrute_;
  const TPlanMenage& plan_;
  IFenetreMenage& fenetre_;
  IExecutant& executant_;
  bool enCours_ = false;
  bool stoppe_ = false;
  // Where a file whose deletion failed was listed, to look at it again at the end.
  struct Echec {
    std::string dossier;  // the Windows path of its folder
    std::string nom;      // its exact name there
  };
  // By the file's identity: a file met by two passes is one file.
  std::map<os::FileId, Echec> echecs_;
  // The protected files already counted.
  std::set<os::FileId> proteges_;
  // The folders the run took a file out of: of the user's temporary folder's sub-folders,
  // SupprimerDossiersVides removes only those.
  std::set<os::FileId> entames_;
  // What the run keeps, resolved when it starts; the kept files already counted.
  Gardes gardes_;
  std::set<FichierRepere> gardesVus_;
  // The folders from the pass's start to the one listed last: each one's path, identity and
  // whether it is kept (itself or through a folder above it).
  struct Niveau {
    std::string chemin;
    os::FileId id;
    bool garde = false;
  };
  std::vector<Niveau> niveaux_;
  std::string raison_;
  bool parMasque_ = false;
  std::string windows_;  // the drive's Windows folder, for RefuserDossier
  // What the first mask pass found of the later passes' masks, folder by folder.
  struct Carte {
    std::vector<std::string> textes;      // the later passes' masks
    std::vector<os::Mask> masques;        // the same, prepared
    // Every folder the first pass listed → bit k set when mask k matches a file of it or below.
    std::unordered_map<std::string, std::uint32_t> sousArbres;
  } carte_;
};
