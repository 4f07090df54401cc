#pragma once
// A cleaning run's window on the command line: on a terminal one status line kept current (the
// step, the count, the size), redrawn in place; the summary at the end, on its own lines.
#include <chrono>
#include <cstddef>
#include <ostream>
#include <string>

#include "cleaning/FenetreMenage.h"

class FenetreLigne : public IFenetreMenage {
 public:
  // `terminal`: `sortie` is a terminal `largeur` characters wide, where the status line is drawn
  // ("\r", the line cut to fit, then cleared to its end); otherwise only the summary is written.
  FenetreLigne(std::ostream& sortie, bool terminal, std::size_t largeur);

  // A new step is drawn at once; counts and sizes at most every 100 ms (Rafraichir catches up).
  void AfficherEnCours(const std::string& texte) override;
  void AfficherNbFichiers(const std::string& texte) override;
  void AfficherTaille(const std::string& texte) override;
  // The run asked for the options: it had none (OptionsDemandees).
  void MontrerOptions() override { optionsDemandees_ = true; }
  // Clears the status line and writes the summary, one line each ("\r" between them).
  void Message(const std::string& texte) override;

  // Draws what was held back once its time has come (the run's drain).
  void Rafraichir();
  // Clears the status line (before a message on another stream).
  void Effacer();
  bool OptionsDemandees() const noexcept { return optionsDemandees_; }
  // The summary was written: the run went to its end.
  bool ResumeEcrit() const noexcept { return resumeEcrit_; }

 private:
  using Horloge = std::chrono::steady_clock;
  void Dessiner();

  std::ostream& sortie_;
  bool terminal_;
  std::size_t largeur_;
  std::string enCours_, nbFichiers_ = "0", taille_ = "0 kO";
  bool enRetard_ = false;
  bool dessinee_ = false;
  Horloge::time_point dernier_{};
  bool optionsDemandees_ = false;
  bool resumeEcrit_ = false;
};
