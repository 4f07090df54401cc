#include "cleaning/Apercu.h"

#include <algorithm>

#include "cleaning/ExecutantApercu.h"
#include "cleaning/FenetreMenage.h"
#include "cleaning/Menage.h"
#include "platform/SystemError.h"
#include "scanner/Scrute.h"

namespace {

// The run's window: only whether it asked for the options, and its summary.
struct FenetreApercu : IFenetreMenage {
  bool optionsDemandees = false;
  std::string resume;
  void AfficherEnCours(const std::string&) override {}
  void AfficherNbFichiers(const std::string&) override {}
  void AfficherTaille(const std::string&) override {}
  void MontrerOptions() override { optionsDemandees = true; }
  void Message(const std::string& texte) override { resume = texte; }
};

}  // namespace

Apercu ApercuMenage(const os::Drive& lecteur, const TPlanMenage& plan,
                    const std::vector<std::string>& dossiersJeux,
                    const std::vector<std::string>& dossiersSauvegardes, bool proteger,
                    const std::vector<std::string>& gardes) {
  Apercu apercu;
  TScruteDossier scrute;  // set as the main window sets its own
  FenetreApercu fenetre;
  TExecutantApercu executant(lecteur, apercu);
  TMenage menage(scrute, plan, fenetre, executant);
  menage.DossiersJeux = dossiersJeux;
  menage.DossiersSauvegardes = dossiersSauvegardes;
  menage.ProtegerSauvegardes = proteger;
  menage.CheminsGardes = gardes;
  try {
    menage.Lancer();
  } catch (const os::SystemError& e) {
    // After the summary: a registry step that could not be done, as the run would report it.
    if (fenetre.resume.empty()) throw;
    apercu.erreur = e.what();
  }
  apercu.optionsValidees = !fenetre.optionsDemandees;
  apercu.resume = std::move(fenetre.resume);
  apercu.nbFichiers = menage.NbFichiers;
  apercu.tailleTotale = menage.TailleTotale;
  apercu.nbEchecs = menage.NbEchecs;
  apercu.tailleProtegee = menage.TailleProtegee;
  apercu.tailleGardee = menage.TailleGardee;
  apercu.interruption = menage.Interruption;
  apercu.passesSautees = menage.PassesSautees;
  const auto sensibles = std::stable_partition(
      apercu.fichiers.begin(), apercu.fichiers.end(),
      [](const FichierApercu& f) { return f.emplacement != Emplacement::Ailleurs; });
  apercu.nbSensibles = static_cast<std::size_t>(sensibles - apercu.fichiers.begin());
  return apercu;
}
