#pragma once
// What a cleaning run needs from the window that shows it.
#include <string>

class IFenetreMenage {
 public:
  virtual ~IFenetreMenage() = default;
  // Current step (LabelEnCours).
  virtual void AfficherEnCours(const std::string& texte) = 0;
  // File count (LabelNbFichiers).
  virtual void AfficherNbFichiers(const std::string& texte) = 0;
  // Total size (LabelTaille).
  virtual void AfficherTaille(const std::string& texte) = 0;
  // Shows the options window, modeless.
  virtual void MontrerOptions() = 0;
  // Message box with an OK button and the application title; "\r" separates lines.
  virtual void Message(const std::string& texte) = 0;
};
