#pragma once
// A cleaning run on one prefix, with no toolkit: the run of its plan with the real executant, its
// saves and game folders protected as the prefix asks, what the user keeps for good left and
// counted apart, and the files the user chose to leave out of this run passed over. The command
// line and the windows show it each their way.
#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "cleaning/FenetreMenage.h"
#include "cleaning/FichierRepere.h"
#include "prefixes/ApercuPrefixe.h"
#include "scanner/Scrute.h"

// What a run came to.
struct BilanNettoyage {
  std::uint64_t nbFichiers = 0, taille = 0, nbEchecs = 0, nbProteges = 0, tailleProtegee = 0;
  // The files kept for good that the run left (TMenage::NbGardes), and their size.
  std::uint64_t nbGardes = 0, tailleGardee = 0;
  // Why the run stopped when a program started in the prefix meanwhile, or "".
  std::string interruption;
  // A refusal (before anything changed) or a failure after the summary, in French, or "".
  std::string erreur;
  bool refuse = false;  // refused before it changed anything
  bool occupe = false;  // refused because another program uses the prefix
};

class NettoyagePrefixe {
 public:
  // A run on `prefixe` shown in `fenetre` (both must outlive it); the files of `laisses` (as a
  // preview gives them, FichierApercu::Repere) stay where they are, neither counted nor touched.
  NettoyagePrefixe(const PrefixeOuvert& prefixe, IFenetreMenage& fenetre,
                   std::set<FichierRepere> laisses = {});
  ~NettoyagePrefixe();
  NettoyagePrefixe(const NettoyagePrefixe&) = delete;
  NettoyagePrefixe& operator=(const NettoyagePrefixe&) = delete;

  // The run's scanner: its drain (TraiterMessages) is the caller's to set.
  TScruteDossier& Scrute() noexcept { return scrute_; }
  // The whole run; returns when it is over.
  BilanNettoyage Lancer();
  // Stops the run in progress, as the STOPPER zone does.
  void Stopper();
  // The bytes counted so far.
  std::uint64_t Octets() const;

 private:
  class Executant;
  TScruteDossier scrute_;
  std::unique_ptr<Executant> executant_;
  struct Run;
  std::unique_ptr<Run> run_;
};
