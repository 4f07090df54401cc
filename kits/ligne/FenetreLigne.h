#pragma once
// A cleaning run's window on the command line: on a terminal one status line kept current (the
// step, the count, the size), redrawn in place; the summary at the end, on its own lines. Sizes
// are shown in the command line's one unit (TailleLisible) once Octets() tells where to read
// them.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
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
  // Clears the status line and writes the summary, one line each ("\r" between them); with
  // Octets(), its first two lines (the count and the size in kO) become one line in the command
  // line's unit.
  void Message(const std::string& texte) override;
  // Where the run's byte count is read from.
  void Octets(std::function<std::uint64_t()> octets) { octets_ = std::move(octets); }

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
  void EffacerApres(std::size_t colonne);

  std::ostream& sortie_;
  bool terminal_;
  std::size_t largeur_;
  std::string enCours_, nbFichiers_ = "0", taille_ = "0 kO";
  bool enRetard_ = false;
  bool dessinee_ = false;
  bool evolue_;            // the terminal knows the escape that clears a line's end
  std::size_t dessine_ = 0;  // columns drawn on the status line
  Horloge::time_point dernier_{};
  bool optionsDemandees_ = false;
  std::function<std::uint64_t()> octets_;
  bool resumeEcrit_ = false;
};
