#pragma once
// What a form's logic asks of the window a kit made for it. Components are named as in the
// form's description.
#include <optional>
#include <string>
#include <string_view>

// The outline a window is cut to.
struct TForme {
  enum Genre { Ellipse, RectangleArrondi } genre = Ellipse;
  int ew = 0, eh = 0;  // the rounded corners' ellipse
};

class IFenetre {
 public:
  virtual ~IFenetre() = default;
  // Ellipse: inscribed in (0, 0, width, height). Rounded rectangle: (1, 1) to (width, height).
  virtual void AppliquerForme(const TForme& forme) = 0;
  // Shows the window modeless, above the others, and activates it.
  virtual void Montrer() = 0;
  virtual void Cacher() = 0;
  // Closes the window for good; the main window's closing ends the program.
  virtual void Fermer() = 0;
  // Text of a label or an edit box.
  virtual void SetTexte(std::string_view composant, const std::string& texte) = 0;
  virtual std::string Texte(std::string_view composant) const = 0;
  virtual void SetCoche(std::string_view caseACocher, bool coche) = 0;
  virtual bool Coche(std::string_view caseACocher) const = 0;
  // Shows (above every other component) or hides a component.
  virtual void SetVisible(std::string_view composant, bool visible) = 0;
  // Information box, OK button, the application title as caption; "\r" separates lines.
  virtual void Message(const std::string& texte) = 0;
  // The program's help reader showing the help file `fichier` (a Windows path): its bytes
  // `contenu` as read, or, when it could not be read, a line saying so.
  virtual void MontrerAide(const std::string& fichier,
                           const std::optional<std::string>& contenu) = 0;
  // Drains the message queue: every pending message is handled, then it returns.
  virtual void TraiterMessages() = 0;
};
