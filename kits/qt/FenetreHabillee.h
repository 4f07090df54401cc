#pragma once
// The Qt window of a form: borderless, built from the form's description, every component a
// child widget stacked in table order (later = on top), so that a press goes to the topmost one
// whose rectangle holds the pointer; a press that reaches the window itself (the skin, "Image1")
// drags it. The form's handlers run inside Garde(). Each time it is shown, a window that would
// fall off the screens is brought onto one (PlaceSurLEcran).
#include <QAbstractNativeEventFilter>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <functional>

#include "forms/Fenetre.h"
#include "forms/Fiche.h"

class QStyle;

// Where a window meant to lie at `voulue` (its place and size) goes, given the usable parts of
// the screens `ecrans` (the primary one first): its own place when it lies whole on one of them;
// else onto the screen that holds most of it (the primary one when none holds any of it), moved
// no further than it takes to fit, its left and top edges kept on that screen when it is larger.
QPoint PlaceSurLEcran(const QRect& voulue, const QList<QRect>& ecrans);

class FenetreHabillee : public QWidget, public IFenetre {
  Q_OBJECT
 public:
  // Builds the window of `fiche` (hidden), binds them and runs the form's FormCreate. A window
  // with a `proprietaire` belongs to it: a transient window of it, above it, with no taskbar
  // entry of its own.
  explicit FenetreHabillee(TFiche& fiche, FenetreHabillee* proprietaire = nullptr);
  ~FenetreHabillee() override;

  // The component named `nom`, as the widget kind `T`.
  template <class T>
  T* Composant(const char* nom) const {
    return qobject_cast<T*>(Trouver(QString::fromLatin1(nom)));
  }
  TFiche& Fiche() const { return fiche_; }

  // The title the window system shows, in the title bar and the taskbar, exactly as given (the
  // application's name at first).
  void Intituler(const QString& titre);
  // Showing brings the window onto a screen first (PlaceSurLEcran), from where it is.
  void setVisible(bool visible) override;

  // Drag action: asks the window system to move the window with the pointer; where it
  // refuses, the window follows the mouse events by hand until the button is released.
  void Glisser(QMouseEvent* event);

  // IFenetre.
  void AppliquerForme(const TForme& forme) override;
  void Montrer() override;
  void Cacher() override;
  void Fermer() override;
  void SetTexte(std::string_view composant, const std::string& texte) override;
  std::string Texte(std::string_view composant) const override;
  void SetCoche(std::string_view caseACocher, bool coche) override;
  bool Coche(std::string_view caseACocher) const override;
  void SetVisible(std::string_view composant, bool visible) override;
  void Message(const std::string& texte) override;
  void MontrerAide(const std::string& fichier,
                   const std::optional<std::string>& contenu) override;
  void TraiterMessages() override;

 signals:
  // The window has closed for good.
  void Fermee();

 protected:
  void paintEvent(QPaintEvent* event) override;
  // Background press: calls Image1MouseDown(), which drags by default.
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  virtual void Image1MouseDown(QMouseEvent* event) { Glisser(event); }
  // Key preview, when the form asks for it.
  bool eventFilter(QObject* objet, QEvent* event) override;
  // Closing is the form's decision (CloseQuery).
  void closeEvent(QCloseEvent* event) override;

 private:
  // The window system destroyed the window from outside: Qt forgets it, the form is told.
  void Detruite();
  // Watches the window system's events for the destruction of this window from outside.
  class Surveillance : public QAbstractNativeEventFilter {
   public:
    explicit Surveillance(FenetreHabillee& fenetre) : fenetre_(fenetre) {}
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* resultat) override;

   private:
    FenetreHabillee& fenetre_;
  };

  void Construire(const TComposant& composant);
  // The component named `nom`, or nullptr; never one of a window this one owns.
  QWidget* Trouver(const QString& nom) const;
  // The same; throws std::logic_error when there is none.
  QWidget* Enfant(std::string_view nom) const;

  TFiche& fiche_;
  Surveillance surveillance_{*this};
  QImage fond_;
  QStyle* styleControles_ = nullptr;
  QWidget* dernierControle_ = nullptr;
  bool glisseManuel_ = false;
  QPoint origineGlisse_;
};
