// A cleaning run with no window, on the prefix of TIDORA_PREFIX opened as it stands (as the
// windows open a Wine prefix), for the checks against a real Wine prefix. "valider": the options with every choice, as the options window validates them
// (printed); "menage": a run of those options, printing each step, the summary and any error;
// "reecrire KEY": writes every value of the key afresh, with the same data.
#include <cstdio>
#include <exception>
#include <string>

#include "cleaning/Executant.h"
#include "cleaning/FenetreMenage.h"
#include "cleaning/Menage.h"
#include "cleaning/PlanMenage.h"
#include "options/FichierOptions.h"
#include "platform/Drive.h"
#include "platform/Registry.h"
#include "scanner/Scrute.h"

namespace {

struct FenetreTexte : IFenetreMenage {
  void AfficherEnCours(const std::string& t) override { std::printf("en cours : %s\n", t.c_str()); }
  void AfficherNbFichiers(const std::string&) override {}
  void AfficherTaille(const std::string&) override {}
  void MontrerOptions() override { std::printf("options\n"); }
  void Message(const std::string& t) override {
    std::string s = t;
    for (char& c : s) c = c == '\r' ? '|' : c;
    std::printf("message : %s\n", s.c_str());
  }
};

int Valider(const os::Drive& lecteur) {
  ChoixOptions choix;
  choix.fill(true);
  const std::vector<std::string> lignes = ComposerOptions(lecteur, choix, "");
  EnregistrerOptions(lecteur, lignes);
  for (const std::string& l : lignes) std::printf("%s\n", l.c_str());
  return 0;
}

int Menage(const os::Drive& lecteur) {
  TPlanMenage plan;
  LireOptions(lecteur, plan);
  plan.OptionsValidees = true;
  TScruteDossier scrute;
  FenetreTexte fenetre;
  TExecutant executant(lecteur);
  TMenage menage(scrute, plan, fenetre, executant);
  menage.Lancer();
  return 0;
}

int Reecrire(const os::Drive& lecteur, const std::string& cle) {
  os::RegistryKey key = lecteur.createKey(cle);
  for (const std::string& nom : key.valueNames()) {
    const os::RegistryValue v = *key.query(nom);
    key.deleteValue(nom);
    key.setValue(nom, v.type, v.data);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  try {
    if (mode == "valider" || mode == "menage" || (mode == "reecrire" && argc > 2)) {
      const os::Drive lecteur = os::Drive::existing(os::Drive::ownFolder());
      if (mode == "valider") return Valider(lecteur);
      if (mode == "menage") return Menage(lecteur);
      return Reecrire(lecteur, argv[2]);
    }
  } catch (const std::exception& e) {
    std::fflush(stdout);
    std::printf("erreur : %s\n", e.what());
    return 3;
  }
  std::fprintf(stderr, "usage : menage_wine valider | menage | reecrire CLÉ\n");
  return 2;
}
