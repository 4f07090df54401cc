#pragma once
// TForm1: the round main window's logic. Starts, watches and stops a cleaning run, shows the
// options window, the help and the credits panel, and quits.
#include <chrono>
#include <optional>
#include <string>

#include "cleaning/FenetreMenage.h"
#include "cleaning/Menage.h"
#include "forms/Fiche.h"
#include "scanner/Scrute.h"

class TForm1 : public TFiche, public IFenetreMenage {
 public:
  // The window cleans `lecteur`, which must outlive it.
  explicit TForm1(const os::Drive& lecteur);
  ~TForm1() override;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // The window's components and their boxes (Unit1Composants.cpp).
  static const TDescription Composants;
  const TDescription& Description() const override { return Composants; }

  // The drive every run cleans.
  const os::Drive& Lecteur;
  // The scanner of every run; its drain is TraiterMessages().
  TScruteDossier ScruteDossier1;
  // What carries out each run's changes on the drive.
  TExecutant Executant;
  // The run, bound to ScruteDossier1, PlanMenage, this window and Executant.
  TMenage Menage;

  // Window created: elliptic shape, options not validated, plan emptied.
  void FormCreate() override;
  // Start a cleaning run; returns when it is over (ends the program then if asked meanwhile).
  void Shape2MouseDown(TMouseButton bouton);
  // Shows FormOptions, modeless.
  void ShapeOptionsMouseDown(TMouseButton bouton);
  // Stops the run in progress.
  void ShapeEffacerMouseDown(TMouseButton bouton);
  // Quits; during a run, stops it and quits once it has unwound.
  void Shape1MouseDown(TMouseButton bouton);
  // Help action.
  void Shape3MouseDown(TMouseButton bouton);
  // "$" shows the credits panel, "*" hides it; any other character does nothing.
  void FormKeyPress(char32_t touche);
  // The window was destroyed from outside: the program ends, a run in progress stopped first.
  void FormDestroy();

  void MouseDown(std::string_view zone, TMouseButton bouton) override;
  // Every character goes to FormKeyPress; "$" and "*" go no further.
  bool KeyPress(char32_t touche) override;
  // Closing during a run is deferred until the run has unwound.
  void CloseQuery() override;
  void Destroy() override { FormDestroy(); }

  // IFenetreMenage: the labels' texts (count and size reach the labels at most every 30 ms).
  void AfficherEnCours(const std::string& texte) override;
  void AfficherNbFichiers(const std::string& texte) override;
  void AfficherTaille(const std::string& texte) override;
  void MontrerOptions() override;
  void Message(const std::string& texte) override;

  // The scanner's drain: held-back counts once their 30 ms are up, then the message queue.
  void TraiterMessages();
  // Pushes the latest count and size texts to their labels now.
  void RafraichirLabels();

 private:
  using Horloge = std::chrono::steady_clock;
  void LabelsChanges();
  bool LabelsDus() const;
  void DemanderFermeture();
  void Fermer();

  std::optional<std::string> texteNbFichiers_;
  std::optional<std::string> texteTaille_;
  bool labelsEnRetard_ = false;
  std::optional<Horloge::time_point> dernierRafraichissement_;
  bool fermerApresMenage_ = false;
  bool fermee_ = false;
};

// The main window, created at start-up.
extern TForm1* Form1;
