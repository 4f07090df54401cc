#pragma once
// The cleaning run: carries out a TPlanMenage pass by pass with one scanner.
#include <array>
#include <cstdint>
#include <string>

#include "cleaning/FenetreMenage.h"
#include "cleaning/PlanMenage.h"
#include "scanner/Scrute.h"

// Status texts of the folder passes, by TableDossiers index.
extern const std::array<std::string, 5> LibellesDossiers;

class TMenage {
 public:
  // Binds the scanner's OnFichier and OnExecute to this run. All three must outlive it.
  TMenage(TScruteDossier& scrute, const TPlanMenage& plan, IFenetreMenage& fenetre);

  // Start: the whole run; returns when it is over. Does nothing while a run is in progress.
  void Lancer();
  // Stop: the pass in progress ends after at most one more file; no further pass starts.
  void Stopper();
  // True between the start and the end of a run.
  bool EnCours() const noexcept { return enCours_; }

  // "0 kO", "1 kO", ...: a byte count in kilo-octets, rounded up.
  static std::string TexteTaille(std::uint64_t octets);

  std::uint64_t NbFichiers = 0;
  std::uint64_t TailleTotale = 0;
  std::uint64_t NbEchecs = 0;  // files that could not be deleted
  std::int32_t IndexMotif = 0;

 private:
  void ScruteDossier1Fichier(TScruteDossier& Sender, const std::string& Nom);
  void ScruteDossier1Execute(TScruteDossier& Sender);

  TScruteDossier& scrute_;
  const TPlanMenage& plan_;
  IFenetreMenage& fenetre_;
  bool enCours_ = false;
  bool stoppe_ = false;
};
