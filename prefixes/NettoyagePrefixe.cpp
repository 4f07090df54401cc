#include "prefixes/NettoyagePrefixe.h"

#include <utility>

#include "cleaning/Executant.h"
#include "cleaning/Menage.h"
#include "platform/SystemError.h"

// The real executant, which passes over the files left out: by the identity of the folder that
// lists them and their exact name, whatever path the run reaches that folder by.
class NettoyagePrefixe::Executant : public TExecutant {
 public:
  Executant(const os::Drive& lecteur, std::set<FichierRepere> laisses)
      : TExecutant(lecteur), laisses_(std::move(laisses)) {}

  bool Laisser(const Entree& fichier) override {
    if (laisses_.empty()) return false;
    return laisses_.contains({fichier.dossier.id(), std::string(fichier.nom)});
  }

 private:
  std::set<FichierRepere> laisses_;
};

// The run, and the window it shows itself in, which also tells whether the summary came.
struct NettoyagePrefixe::Run : IFenetreMenage {
  Run(TScruteDossier& scrute, const TPlanMenage& plan, IFenetreMenage& cible, IExecutant& executant)
      : fenetre(cible), menage(scrute, plan, *this, executant) {}
  void AfficherEnCours(const std::string& t) override { fenetre.AfficherEnCours(t); }
  void AfficherNbFichiers(const std::string& t) override { fenetre.AfficherNbFichiers(t); }
  void AfficherTaille(const std::string& t) override { fenetre.AfficherTaille(t); }
  void MontrerOptions() override { fenetre.MontrerOptions(); }
  void Message(const std::string& t) override {
    resume = true;
    fenetre.Message(t);
  }

  IFenetreMenage& fenetre;
  TMenage menage;
  bool resume = false;
};

NettoyagePrefixe::NettoyagePrefixe(const PrefixeOuvert& prefixe, IFenetreMenage& fenetre,
                                   std::set<FichierRepere> laisses)
    : executant_(std::make_unique<Executant>(prefixe.lecteur, std::move(laisses))),
      run_(std::make_unique<Run>(scrute_, prefixe.plan, fenetre, *executant_)) {
  run_->menage.DossiersJeux = prefixe.jeux;
  run_->menage.DossiersSauvegardes = prefixe.sauvegardes;
  run_->menage.ProtegerSauvegardes = prefixe.proteger;
  run_->menage.CheminsGardes = prefixe.gardes;
}

NettoyagePrefixe::~NettoyagePrefixe() = default;

void NettoyagePrefixe::Stopper() {
  run_->menage.Stopper();
}

std::uint64_t NettoyagePrefixe::Octets() const {
  return run_->menage.TailleTotale;
}

BilanNettoyage NettoyagePrefixe::Lancer() {
  BilanNettoyage bilan;
  TMenage& menage = run_->menage;
  run_->resume = false;
  try {
    menage.Lancer();
  } catch (const os::SystemError& e) {
    bilan.erreur = e.what();
    // Thrown before the summary: refused whole, nothing changed.
    bilan.refuse = !run_->resume;
    bilan.occupe = bilan.refuse && e.code() == os::error::SharingViolation;
  }
  bilan.nbFichiers = menage.NbFichiers;
  bilan.taille = menage.TailleTotale;
  bilan.nbEchecs = menage.NbEchecs;
  bilan.nbProteges = menage.NbProteges;
  bilan.tailleProtegee = menage.TailleProtegee;
  bilan.nbGardes = menage.NbGardes;
  bilan.tailleGardee = menage.TailleGardee;
  bilan.interruption = menage.Interruption;
  return bilan;
}
