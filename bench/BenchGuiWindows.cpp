// Benchmark of the Windows program under Wine: a cleaning run of the temporary folder with both
// Win32 windows live (the labels repainted, the queue drained before every entry) against the
// same run with no window, on identical trees in a sandbox prefix. Run it on a desktop that has a
// screen: wine explorer /desktop=banc,1024x768 bench_gui_windows.exe [--quick] [--files=N]
// [--rounds=N].
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>

#include "app/Unit1.h"
#include "bench/Commun.h"
#include "cleaning/Executant.h"
#include "cleaning/Menage.h"
#include "cleaning/PlanMenage.h"
#include "kits/win32/Boucle.h"
#include "kits/win32/FenetreWin32.h"
#include "options/Unit2.h"
#include "scanner/Scrute.h"

namespace fs = std::filesystem;
using banc::ComparerFenetresEtSans;
using banc::DossierTemporaire;
using banc::FenetreMuette;
using banc::LecteurC;
using banc::LecteurNeuf;

namespace {

// The main window as the program shows it, except that the summary is kept instead of waiting
// in a message box for someone to press OK.
class SansBoite : public IFenetre {
 public:
  explicit SansBoite(IFenetre& fenetre) : f_(fenetre) {}
  void AppliquerForme(const TForme& forme) override { f_.AppliquerForme(forme); }
  void Montrer() override { f_.Montrer(); }
  void Cacher() override { f_.Cacher(); }
  void Fermer() override { f_.Fermer(); }
  void SetTexte(std::string_view c, const std::string& t) override { f_.SetTexte(c, t); }
  std::string Texte(std::string_view c) const override { return f_.Texte(c); }
  void SetCoche(std::string_view c, bool v) override { f_.SetCoche(c, v); }
  bool Coche(std::string_view c) const override { return f_.Coche(c); }
  void SetVisible(std::string_view c, bool v) override { f_.SetVisible(c, v); }
  void Message(const std::string& texte) override { resume = texte; }
  void MontrerAide(const std::string& fichier, const std::optional<std::string>& contenu) override {
    f_.MontrerAide(fichier, contenu);
  }
  void TraiterMessages() override { f_.TraiterMessages(); }
  std::string resume;

 private:
  IFenetre& f_;
};

}  // namespace

int main(int argc, char** argv) {
  long nbFichiers = 50000;
  int tours = 3;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--quick") {
      nbFichiers = 5000;
      tours = 1;
    } else if (arg.rfind("--files=", 0) == 0) {
      nbFichiers = std::atol(arg.c_str() + 8);
    } else if (arg.rfind("--rounds=", 0) == 0) {
      tours = std::atoi(arg.c_str() + 9);
    } else {
      std::printf("bench_gui_windows [--quick] [--files=N (50000)] [--rounds=N (3)]\n");
      return arg == "--help" ? 0 : 1;
    }
  }
  if (nbFichiers <= 0 || tours <= 0) return 1;

  std::optional<DossierTemporaire> travail;
  std::optional<os::Drive> lecteur;
  try {
    travail.emplace("tidora-bench-gui");
    lecteur.emplace(LecteurNeuf(travail->chemin()));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_gui_windows: %s\n", e.what());
    return 1;
  }
  const std::string temp = lecteur->windowsDirectory() + "\\TEMP";
  const fs::path hoteTemp = LecteurC(*lecteur, "windows/temp");

  // The windows as start-up makes them on the sandbox, the main one shown.
  TForm1 form1(*lecteur);
  Form1 = &form1;
  FenetreWin32 principale(form1, false);
  TFormOptions formOptions(*lecteur);
  FormOptions = &formOptions;
  FenetreWin32 options(formOptions, false);
  SansBoite sansBoite(principale);
  form1.Attacher(&sansBoite);
  principale.Montrer();
  Vider();

  TScruteDossier scrute;
  TPlanMenage plan;
  plan.TableDossiers[4] = temp;
  plan.OptionsValidees = true;
  FenetreMuette muette;
  TExecutant executant(*lecteur);
  TMenage sansFenetre(scrute, plan, muette, executant);

  const int resultat = ComparerFenetresEtSans(
      "bench_gui_windows", "cleaning run with the Win32 windows live vs headless", tours,
      nbFichiers, hoteTemp, [&] {
        sansFenetre.Lancer();
        return sansFenetre.NbFichiers;
      },
      [&] {
        PlanMenage.Clear();
        PlanMenage.TableDossiers[4] = temp;
        PlanMenage.OptionsValidees = true;
        form1.Shape2MouseDown(TMouseButton::mbLeft);
        return form1.Menage.NbFichiers;
      });
  form1.Attacher(&principale);
  return resultat;
}
