#include "kits/win32/FenetreWin32.h"

#include <windowsx.h>

#include <algorithm>
#include <cwchar>
#include <stdexcept>

#include "kits/win32/Boites.h"
#include "kits/win32/Boucle.h"
#include "kits/win32/Echelle.h"
#include "kits/win32/Images.h"
#include "kits/win32/LecteurAide.h"
#include "kits/win32/Texte.h"

namespace {

constexpr wchar_t kClasse[] = L"Tidora2000Fenetre";
constexpr wchar_t kTitre[] = L"Tidora 2000";
// The system command that moves a window as if its caption were dragged.
constexpr WPARAM kGlisser = 0xF012;

void EnregistrerClasse(WNDPROC procedure) {
  static bool fait = false;
  if (fait) return;
  WNDCLASSEXW classe{};
  classe.cbSize = sizeof classe;
  classe.lpfnWndProc = procedure;
  classe.hInstance = GetModuleHandleW(nullptr);
  classe.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  classe.hIcon = LoadIconW(classe.hInstance, MAKEINTRESOURCEW(1));
  classe.lpszClassName = kClasse;
  if (RegisterClassExW(&classe) == 0) throw std::runtime_error("Ne peut créer les fenêtres");
  fait = true;
}

bool PoliceInstallee(const std::wstring& nom) {
  LOGFONTW cherche{};
  cherche.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(cherche.lfFaceName, nom.c_str(), LF_FACESIZE - 1);
  bool trouvee = false;
  HDC ecran = GetDC(nullptr);
  EnumFontFamiliesExW(
      ecran, &cherche,
      [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM trouve) -> int {
        *reinterpret_cast<bool*>(trouve) = true;
        return 0;
      },
      reinterpret_cast<LPARAM>(&trouvee), 0);
  ReleaseDC(nullptr, ecran);
  return trouvee;
}

// A face of `pixels` character height or of `points`, at `dpi`. Without "Century Gothic", the
// free geometric sans that stands in for it on Linux, at its demi-bold weight.
HFONT CreerPolice(const TPolice& police, UINT dpi) {
  const int hauteur = police.pixels > 0 ? -AEchelle(police.pixels, dpi)
                                        : -MulDiv(police.points, static_cast<int>(dpi), 72);
  std::wstring nom = Large(police.nom);
  int graisse = police.gras ? FW_BOLD : FW_NORMAL;
  if (nom == L"Century Gothic" && !PoliceInstallee(nom) && PoliceInstallee(L"URW Gothic")) {
    nom = L"URW Gothic";
    if (police.gras) graisse = FW_DEMIBOLD;
  }
  return CreateFontW(hauteur, 0, 0, 0, graisse, FALSE, FALSE, FALSE, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, nom.c_str());
}

}  // namespace

RECT SurLEcran(const RECT& fenetre, const RECT& ecran) {
  // The right and bottom edges brought back first, so that the left and top ones win.
  const auto dans = [](LONG debut, LONG fin, LONG debutEcran, LONG finEcran) {
    return std::max<LONG>(std::min<LONG>(debut, finEcran - (fin - debut)), debutEcran);
  };
  const LONG gauche = dans(fenetre.left, fenetre.right, ecran.left, ecran.right);
  const LONG haut = dans(fenetre.top, fenetre.bottom, ecran.top, ecran.bottom);
  return {gauche, haut, gauche + fenetre.right - fenetre.left, haut + fenetre.bottom - fenetre.top};
}

FenetreWin32::FenetreWin32(TFiche& fiche, bool principale, HWND proprietaire)
    : fiche_(fiche), principale_(principale) {
  EnregistrerClasse(&FenetreWin32::Procedure);
  DemarrerImages();
  const TDescription& description = fiche.Description();
  const TBoite& b = description.boite;
  // A popup's client area is the whole window. Made at 96 DPI, then scaled to its screen's.
  hwnd_ = CreateWindowExW(principale ? WS_EX_APPWINDOW : 0, kClasse, kTitre,
                          WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX, b.gauche,
                          b.haut, b.largeur, b.hauteur, proprietaire, nullptr,
                          GetModuleHandleW(nullptr), this);
  if (hwnd_ == nullptr) throw std::runtime_error("Ne peut créer la fenêtre " + std::string(description.nom));
  dpi_ = DpiDe(hwnd_);
  if (dpi_ != USER_DEFAULT_SCREEN_DPI) {
    SetWindowPos(hwnd_, nullptr, Px(b.gauche), Px(b.haut), Px(b.largeur), Px(b.hauteur),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  PlacerSurLEcran();
  for (const TComposant& composant : description.composants) Construire(composant);
  Habiller();
  fiche_.Attacher(this);
  Garde([this] { fiche_.FormCreate(); });
}

FenetreWin32::~FenetreWin32() {
  fiche_.Attacher(nullptr);
  if (hwnd_ != nullptr) {
    fermee_ = true;
    DestroyWindow(hwnd_);
  }
  Deshabiller();
  DeleteObject(policeDefaut_);
}

FenetreWin32* FenetreWin32::De(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  HWND racine = GetAncestor(hwnd, GA_ROOT);
  wchar_t classe[64] = {};
  if (racine == nullptr || GetClassNameW(racine, classe, 64) == 0 ||
      std::wstring_view(classe) != kClasse) {
    return nullptr;
  }
  return reinterpret_cast<FenetreWin32*>(GetWindowLongPtrW(racine, GWLP_USERDATA));
}

void FenetreWin32::Construire(const TComposant& c) {
  const std::string nom(c.nom);
  visibles_[nom] = c.visible;
  switch (c.genre) {
    case TGenre::Label:
      textes_[nom] = Large(c.texte);
      return;
    case TGenre::Image:
    case TGenre::Zone:
    case TGenre::Panneau:
      return;
    case TGenre::CaseACocher:
    case TGenre::Edition: {
      const bool caseACocher = c.genre == TGenre::CaseACocher;
      const RECT r = Rectangle(c.boite);
      HWND controle = CreateWindowExW(
          caseACocher ? 0 : WS_EX_CLIENTEDGE, caseACocher ? L"BUTTON" : L"EDIT",
          caseACocher ? L"" : Large(c.texte).c_str(),
          WS_CHILD | WS_VISIBLE | WS_TABSTOP |
              (caseACocher ? BS_AUTOCHECKBOX : static_cast<DWORD>(ES_AUTOHSCROLL)),
          r.left, r.top, r.right - r.left, r.bottom - r.top, hwnd_,
          reinterpret_cast<HMENU>(static_cast<INT_PTR>(controles_.size() + 100)),
          GetModuleHandleW(nullptr), nullptr);
      SetPropW(controle, L"Tidora2000Nom", reinterpret_cast<HANDLE>(const_cast<TComposant*>(&c)));
      controles_[nom] = controle;
      return;
    }
  }
}

void FenetreWin32::Habiller() {
  const TDescription& description = fiche_.Description();
  // The controls take the new font before the old one goes.
  HFONT ancienne = policeDefaut_;
  policeDefaut_ = CreerPolice(description.police, dpi_);
  for (auto& [nom, controle] : controles_) {
    SendMessageW(controle, WM_SETFONT, reinterpret_cast<WPARAM>(policeDefaut_), TRUE);
  }
  if (ancienne != nullptr) DeleteObject(ancienne);
  Deshabiller();
  for (const TComposant& c : description.composants) {
    const std::string nom(c.nom);
    if (c.genre == TGenre::Image) {
      if (HBITMAP image = ChargerImage(c.texte, dpi_)) images_[nom] = image;
    } else if (c.genre == TGenre::Label) {
      polices_[nom] = CreerPolice(c.police, dpi_);
    }
  }
}

void FenetreWin32::Deshabiller() {
  for (auto& [nom, police] : polices_) DeleteObject(police);
  for (auto& [nom, image] : images_) DeleteObject(image);
  polices_.clear();
  images_.clear();
}

void FenetreWin32::ChangerEchelle(UINT dpi, const RECT& rectangle) {
  if (dpi != dpi_) {
    dpi_ = dpi;
    Habiller();
    for (auto& [nom, controle] : controles_) {
      const RECT r = Rectangle(fiche_.Description().Composant(nom)->boite);
      MoveWindow(controle, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    }
  }
  SetWindowPos(hwnd_, nullptr, rectangle.left, rectangle.top, rectangle.right - rectangle.left,
               rectangle.bottom - rectangle.top, SWP_NOZORDER | SWP_NOACTIVATE);
  if (forme_) AppliquerForme(*forme_);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void FenetreWin32::PlacerSurLEcran() {
  RECT r;
  MONITORINFO ecran{};
  ecran.cbSize = sizeof ecran;
  if (!GetWindowRect(hwnd_, &r) ||
      !GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTOPRIMARY), &ecran)) {
    return;
  }
  const RECT place = SurLEcran(r, ecran.rcWork);
  if (place.left == r.left && place.top == r.top) return;
  SetWindowPos(hwnd_, nullptr, place.left, place.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int FenetreWin32::Px(int longueur) const {
  return AEchelle(longueur, dpi_);
}

RECT FenetreWin32::Rectangle(const TBoite& b) const {
  // The edges are scaled, so that boxes that touch still touch.
  return {Px(b.gauche), Px(b.haut), Px(b.gauche + b.largeur), Px(b.haut + b.hauteur)};
}

void FenetreWin32::RetenirFocus() {
  HWND focus = GetFocus();
  if (focus != nullptr && IsChild(hwnd_, focus)) focus_ = focus;
}

LRESULT CALLBACK FenetreWin32::Procedure(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_NCCREATE) {
    auto* creation = reinterpret_cast<CREATESTRUCTW*>(lp);
    auto* fenetre = static_cast<FenetreWin32*>(creation->lpCreateParams);
    fenetre->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(fenetre));
  }
  auto* fenetre = reinterpret_cast<FenetreWin32*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (fenetre == nullptr) return DefWindowProcW(hwnd, message, wp, lp);
  return fenetre->Traiter(message, wp, lp);
}

LRESULT FenetreWin32::Traiter(UINT message, WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      Peindre(dc, ps.rcPaint);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      // The boxes sit on the skin's white fields.
      SetBkColor(reinterpret_cast<HDC>(wp), RGB(255, 255, 255));
      return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    case WM_LBUTTONDOWN:
      Presser(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), TMouseButton::mbLeft);
      return 0;
    case WM_RBUTTONDOWN:
      Presser(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), TMouseButton::mbRight);
      return 0;
    case WM_MBUTTONDOWN:
      Presser(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), TMouseButton::mbMiddle);
      return 0;
    case WM_COMMAND:
      if (HIWORD(wp) == EN_CHANGE) {
        if (auto* c = static_cast<const TComposant*>(
                GetPropW(reinterpret_cast<HWND>(lp), L"Tidora2000Nom"))) {
          Garde([&] { fiche_.Change(c->nom); });
        }
      }
      return 0;
    case WM_DPICHANGED:
      ChangerEchelle(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) RetenirFocus();
      break;
    case WM_SETFOCUS:
      // The focus goes on to the control that had it last, else to the first of the tab order.
      if (!controles_.empty()) {
        SetFocus(focus_ != nullptr && IsWindow(focus_) ? focus_
                                                       : GetNextDlgTabItem(hwnd_, nullptr, FALSE));
        return 0;
      }
      break;
    case WM_CLOSE:
      // Closing is the form's decision.
      Garde([this] { fiche_.CloseQuery(); });
      return 0;
    case WM_DESTROY:
      if (!fermee_) {
        // Destroyed from outside: the form decides, a run first stopped.
        detruite_ = true;
        Garde([this] { fiche_.Destroy(); });
      }
      return 0;
    case WM_NCDESTROY:
      for (auto& [nom, controle] : controles_) RemovePropW(controle, L"Tidora2000Nom");
      controles_.clear();
      hwnd_ = nullptr;
      break;
  }
  return DefWindowProcW(hwnd_, message, wp, lp);
}

void FenetreWin32::Peindre(HDC dc, const RECT& zone) const {
  RECT client;
  GetClientRect(hwnd_, &client);
  const int largeurZone = zone.right - zone.left, hauteurZone = zone.bottom - zone.top;
  if (largeurZone <= 0 || hauteurZone <= 0) return;
  // Drawn off the screen first, so that labels changing during a run never flicker; only the
  // zone to repaint (a label's box, most of the time).
  HDC memoire = CreateCompatibleDC(dc);
  HBITMAP tampon = CreateCompatibleBitmap(dc, largeurZone, hauteurZone);
  HGDIOBJ ancienTampon = SelectObject(memoire, tampon);
  SetViewportOrgEx(memoire, -zone.left, -zone.top, nullptr);
  FillRect(memoire, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  HDC source = CreateCompatibleDC(dc);

  // A picture in a box of the window's pixels, centred in it or from its top-left corner.
  auto dessinerImage = [&](HBITMAP image, const RECT& boite, bool centree) {
    BITMAP b;
    GetObjectW(image, sizeof b, &b);
    const int largeur = boite.right - boite.left, hauteur = boite.bottom - boite.top;
    const int x = centree ? boite.left + (largeur - b.bmWidth) / 2 : boite.left;
    const int y = centree ? boite.top + (hauteur - b.bmHeight) / 2 : boite.top;
    HGDIOBJ ancien = SelectObject(source, image);
    BitBlt(memoire, x, y, std::min<int>(b.bmWidth, largeur), std::min<int>(b.bmHeight, hauteur),
           source, 0, 0, SRCCOPY);
    SelectObject(source, ancien);
  };

  SetBkMode(memoire, TRANSPARENT);
  const TDescription& description = fiche_.Description();
  for (const TComposant& c : description.composants) {
    if (!c.parent.empty() || !EstVisible(c.nom)) continue;
    if (c.genre == TGenre::Image) {
      if (auto i = images_.find(c.nom); i != images_.end()) {
        dessinerImage(i->second, Rectangle(c.boite), true);
      }
    } else if (c.genre == TGenre::Label) {
      RECT boite = Rectangle(c.boite);
      HGDIOBJ ancienne = SelectObject(memoire, polices_.find(c.nom)->second);
      SetTextColor(memoire, RGB(c.couleur.r, c.couleur.g, c.couleur.b));
      const std::wstring& texte = textes_.find(c.nom)->second;
      DrawTextW(memoire, texte.c_str(), static_cast<int>(texte.size()), &boite,
                DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
      SelectObject(memoire, ancienne);
    }
  }
  // A shown panel lies above everything, with the pictures it holds.
  for (const TComposant& panneau : description.composants) {
    if (panneau.genre != TGenre::Panneau || !EstVisible(panneau.nom)) continue;
    RECT boite = Rectangle(panneau.boite);
    FillRect(memoire, &boite, GetSysColorBrush(COLOR_BTNFACE));
    for (const TComposant& c : description.composants) {
      if (c.parent != panneau.nom || c.genre != TGenre::Image) continue;
      if (auto i = images_.find(c.nom); i != images_.end()) {
        const TBoite dans{panneau.boite.gauche + c.boite.gauche, panneau.boite.haut + c.boite.haut,
                          c.boite.largeur, c.boite.hauteur};
        dessinerImage(i->second, Rectangle(dans), false);
      }
    }
    DrawEdge(memoire, &boite, EDGE_RAISED, BF_RECT);
  }

  DeleteDC(source);
  SetViewportOrgEx(memoire, 0, 0, nullptr);
  BitBlt(dc, zone.left, zone.top, largeurZone, hauteurZone, memoire, 0, 0, SRCCOPY);
  SelectObject(memoire, ancienTampon);
  DeleteObject(tampon);
  DeleteDC(memoire);
}

void FenetreWin32::Presser(int x, int y, TMouseButton bouton) {
  // The description's pixels are those of a 96 DPI screen.
  const TComposant* c = ComposantSous(
      fiche_.Description(), MulDiv(x, USER_DEFAULT_SCREEN_DPI, static_cast<int>(dpi_)),
      MulDiv(y, USER_DEFAULT_SCREEN_DPI, static_cast<int>(dpi_)),
      [this](std::string_view nom) { return EstVisible(nom); });
  if (c == nullptr) return;
  if (c->genre == TGenre::Zone) {
    Garde([&] { fiche_.MouseDown(c->nom, bouton); });
  } else if (c->genre == TGenre::Image) {
    // Drag action.
    ReleaseCapture();
    SendMessageW(hwnd_, WM_SYSCOMMAND, kGlisser, 0);
  }
  // A label or the shown panel keeps the press.
}

bool FenetreWin32::EstVisible(std::string_view nom) const {
  const auto v = visibles_.find(nom);
  return v == visibles_.end() || v->second;
}

void FenetreWin32::Redessiner(std::string_view nom) {
  const TComposant* c = fiche_.Description().Composant(nom);
  if (c == nullptr || hwnd_ == nullptr) return;
  RECT boite = Rectangle(c->boite);
  InvalidateRect(hwnd_, &boite, FALSE);
}

HWND FenetreWin32::Controle(std::string_view nom) const {
  const auto c = controles_.find(nom);
  return c == controles_.end() ? nullptr : c->second;
}

void FenetreWin32::AppliquerForme(const TForme& forme) {
  if (hwnd_ == nullptr) return;
  forme_ = forme;
  RECT client;
  GetClientRect(hwnd_, &client);
  HRGN region = forme.genre == TForme::Ellipse
                    ? CreateEllipticRgn(0, 0, client.right, client.bottom)
                    : CreateRoundRectRgn(Px(1), Px(1), client.right, client.bottom, Px(forme.ew),
                                         Px(forme.eh));
  // The window owns the region from here on.
  SetWindowRgn(hwnd_, region, TRUE);
}

void FenetreWin32::Montrer() {
  if (hwnd_ == nullptr) return;
  PlacerSurLEcran();
  ShowWindow(hwnd_, SW_SHOW);
  SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(hwnd_);
}

void FenetreWin32::Cacher() {
  if (hwnd_ == nullptr) return;
  RetenirFocus();
  ShowWindow(hwnd_, SW_HIDE);
}

void FenetreWin32::Fermer() {
  if (!fermee_) {
    fermee_ = true;
    if (hwnd_ != nullptr && !detruite_) DestroyWindow(hwnd_);
  }
  if (principale_) DemanderFin();
}

void FenetreWin32::SetTexte(std::string_view composant, const std::string& texte) {
  if (HWND controle = Controle(composant)) {
    SetWindowTextW(controle, Large(texte).c_str());
    return;
  }
  auto t = textes_.find(composant);
  if (t == textes_.end()) throw std::logic_error("Composant inconnu : " + std::string(composant));
  std::wstring nouveau = Large(texte);
  if (t->second == nouveau) return;
  t->second = std::move(nouveau);
  Redessiner(composant);
}

std::string FenetreWin32::Texte(std::string_view composant) const {
  if (HWND controle = Controle(composant)) {
    std::wstring texte(static_cast<std::size_t>(GetWindowTextLengthW(controle)) + 1, L'\0');
    texte.resize(static_cast<std::size_t>(
        GetWindowTextW(controle, texte.data(), static_cast<int>(texte.size()))));
    return Etroit(texte);
  }
  const auto t = textes_.find(composant);
  return t == textes_.end() ? std::string() : Etroit(t->second);
}

void FenetreWin32::SetCoche(std::string_view caseACocher, bool coche) {
  if (HWND c = Controle(caseACocher)) {
    SendMessageW(c, BM_SETCHECK, coche ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

bool FenetreWin32::Coche(std::string_view caseACocher) const {
  HWND c = Controle(caseACocher);
  return c != nullptr && SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void FenetreWin32::SetVisible(std::string_view composant, bool visible) {
  auto v = visibles_.find(composant);
  if (v == visibles_.end()) throw std::logic_error("Composant inconnu : " + std::string(composant));
  if (v->second == visible) return;
  v->second = visible;
  Redessiner(composant);
}

void FenetreWin32::Message(const std::string& texte) {
  AfficherMessage(texte);
}

void FenetreWin32::MontrerAide(const std::string& fichier,
                               const std::optional<std::string>& contenu) {
  MontrerLecteurAide(hwnd_, fichier, contenu);
}

void FenetreWin32::TraiterMessages() {
  // Under Wine every look at the queue is a round trip to its server (some 0.1 ms), and a run
  // drains before each file: a drain within 5 ms of the last one returns at once, so that the
  // user's actions still come within 5 ms and a run of 50,000 files does not wait seconds.
  const auto maintenant = std::chrono::steady_clock::now();
  if (dernierVidage_ && maintenant - *dernierVidage_ < std::chrono::milliseconds(5)) return;
  dernierVidage_ = maintenant;
  Vider();
}
