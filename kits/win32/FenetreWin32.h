#pragma once
// The Win32 window of a form: a borderless popup built from the form's description. The skin,
// the labels and the panel are painted; check boxes and edit boxes are child controls; a press
// of any button goes to the topmost component whose box holds it (a zone runs its handler, the
// skin starts the drag action, a label or the shown panel does nothing). The form's handlers
// run inside Garde(). The description's pixels are those of a 96 DPI screen: the window scales
// its place, size, outline, skins, fonts, controls and press zones by its screen's DPI, and
// again when the system reports a new one (WM_DPICHANGED). Made, and each time it is shown, a
// window that would fall off the screen is brought onto it (SurLEcran).
#include <windows.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>

#include "forms/Fenetre.h"
#include "forms/Fiche.h"

// Where a window of rectangle `fenetre` goes on `ecran`, the usable part of the screen that holds
// most of it: where it is when it fits; else moved no further than it takes to fit, its left and
// top edges kept on the screen when it is larger.
RECT SurLEcran(const RECT& fenetre, const RECT& ecran);

class FenetreWin32 : public IFenetre {
 public:
  // Builds the window of `fiche` (hidden), binds them and runs the form's FormCreate. Closing
  // or losing the `principale` window ends the message loop. A window with a `proprietaire` is
  // owned by it: always above it, with no taskbar button of its own.
  FenetreWin32(TFiche& fiche, bool principale, HWND proprietaire = nullptr);
  ~FenetreWin32() override;
  FenetreWin32(const FenetreWin32&) = delete;
  FenetreWin32& operator=(const FenetreWin32&) = delete;

  HWND Handle() const { return hwnd_; }
  // Whether the window holds controls (Tab moves between them).
  bool Controles() const { return !controles_.empty(); }
  TFiche& Fiche() const { return fiche_; }
  // The window of `hwnd` (itself or one of its controls), or nullptr.
  static FenetreWin32* De(HWND hwnd);

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

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wp, LPARAM lp);
  LRESULT Traiter(UINT message, WPARAM wp, LPARAM lp);
  void Construire(const TComposant& composant);
  // The fonts and pictures at the window's DPI, given to the controls.
  void Habiller();
  void Deshabiller();
  // The window's new DPI and the rectangle it goes to.
  void ChangerEchelle(UINT dpi, const RECT& rectangle);
  // A length, and a component's box, in the window's pixels.
  int Px(int longueur) const;
  RECT Rectangle(const TBoite& boite) const;
  // Brings the window onto the screen that holds most of it (the primary one when none does).
  void PlacerSurLEcran();
  // The control that had the focus last, kept for when the window is activated again.
  void RetenirFocus();
  void Peindre(HDC dc, const RECT& zone) const;
  void Presser(int x, int y, TMouseButton bouton);
  bool EstVisible(std::string_view nom) const;
  void Redessiner(std::string_view nom);
  HWND Controle(std::string_view nom) const;

  TFiche& fiche_;
  const bool principale_;
  HWND hwnd_ = nullptr;
  HFONT policeDefaut_ = nullptr;
  std::map<std::string, HFONT, std::less<>> polices_;       // labels
  std::map<std::string, HBITMAP, std::less<>> images_;      // pictures
  std::map<std::string, std::wstring, std::less<>> textes_;  // labels
  std::map<std::string, bool, std::less<>> visibles_;
  std::map<std::string, HWND, std::less<>> controles_;  // check boxes, edit boxes
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  std::optional<TForme> forme_;
  HWND focus_ = nullptr;
  bool fermee_ = false;
  bool detruite_ = false;
  std::optional<std::chrono::steady_clock::time_point> dernierVidage_;
};
