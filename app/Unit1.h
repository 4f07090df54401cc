#pragma once
// Form1: the round main window. Starts, watches and stops a cleaning run, shows the options
// window, the help and the credits panel, and quits.
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QString>

#include "app/skin/FenetreHabillee.h"
#include "app/skin/LabelFixe.h"
#include "app/skin/ZoneSouris.h"
#include "cleaning/FenetreMenage.h"
#include "cleaning/Menage.h"
#include "scanner/Scrute.h"

class TForm1 : public FenetreHabillee, public IFenetreMenage {
  Q_OBJECT
 public:
  // Creates the window and its components (stacked in the order below), then runs FormCreate.
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // Components, from the bottom of the stack to the top (Image1 is the window's background).
  ZoneSouris* Shape1;
  ZoneSouris* Shape2;
  ZoneSouris* ShapeOptions;
  ZoneSouris* ShapeEffacer;
  LabelFixe* LabelEnCours;
  LabelFixe* LabelNbFichiers;
  LabelFixe* LabelTaille;
  ZoneSouris* Shape3;
  QFrame* Panel1;
  QLabel* Image2;
  // The scanner of every run.
  TScruteDossier ScruteDossier1;
  // The run, bound to ScruteDossier1, PlanMenage and this window.
  TMenage Menage;

  // Window created: elliptic shape, options not validated, plan emptied.
  void FormCreate();
  // Start a cleaning run; returns when it is over (closes the window then if asked meanwhile).
  void Shape2MouseDown(Qt::MouseButton bouton);
  // Shows FormOptions, modeless.
  void ShapeOptionsMouseDown(Qt::MouseButton bouton);
  // Stops the run in progress.
  void ShapeEffacerMouseDown(Qt::MouseButton bouton);
  // Quits; during a run, stops it and closes once it has unwound.
  void Shape1MouseDown(Qt::MouseButton bouton);
  // Help action.
  void Shape3MouseDown(Qt::MouseButton bouton);
  // The window was destroyed from outside: the program ends, a run in progress stopped first.
  void FormDestroy();
  // "$" shows the credits panel, "*" hides it; any other character does nothing.
  void FormKeyPress(QChar touche);

  // IFenetreMenage: the labels' texts (count and size are repainted at most every ~30 ms).
  void AfficherEnCours(const std::string& texte) override;
  void AfficherNbFichiers(const std::string& texte) override;
  void AfficherTaille(const std::string& texte) override;
  void MontrerOptions() override;
  void Message(const std::string& texte) override;

  // Pushes the latest count and size texts to their labels now.
  void RafraichirLabels();
  // Notes new count or size texts; they reach the labels at most every 30 ms.
  void LabelsChanges();

 signals:
  // The window has closed for good (the program ends).
  void Fermee();

 protected:
  // Key presses reach the window before any of its controls.
  bool eventFilter(QObject* objet, QEvent* event) override;
  // During a run the close is deferred until the run has unwound.
  void closeEvent(QCloseEvent* event) override;

 private:
  void DemanderFermeture();
  // Ends the program: closes the window, or only says so when the window is already gone.
  void Fermer();

  QString texteNbFichiers_;
  QString texteTaille_;
  bool labelsEnRetard_ = false;
  QElapsedTimer dernierRafraichissement_;
  bool fermerApresMenage_ = false;
  bool detruite_ = false;
  bool fermee_ = false;
};

// The main window, created at start-up.
extern TForm1* Form1;
