// The Win32 kit under Wine: windows built from the forms' tables, which component a press of
// each button reaches, the key preview, the controls' texts, the drain and the ways a window
// goes away.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "app/Unit1.h"
#include "kits/win32/Boucle.h"
#include "kits/win32/FenetreWin32.h"
#include "kits/win32/Images.h"
#include "kits/win32/LecteurAide.h"
#include "kits/win32/Texte.h"
#include "options/Unit2.h"

namespace {

// A form that records what its window sends it.
class FicheEspion : public TFiche {
 public:
  explicit FicheEspion(const TDescription& description) : description_(description) {}
  const TDescription& Description() const override { return description_; }
  void FormCreate() override { ++creations; }
  void MouseDown(std::string_view zone, TMouseButton bouton) override {
    presses.push_back(std::string(zone) + "/" + std::to_string(static_cast<int>(bouton)));
  }
  bool KeyPress(char32_t c) override {
    touches += static_cast<char>(c);
    return c == U'$';
  }
  void Change(std::string_view edition) override { changes.emplace_back(edition); }
  void CloseQuery() override { ++demandesFermeture; }
  void Destroy() override { ++destructions; }

  int creations = 0, demandesFermeture = 0, destructions = 0;
  std::vector<std::string> presses, changes;
  std::string touches;

 private:
  const TDescription& description_;
};

// The options window's table with the main window's key preview.
const TDescription& AvecApercu() {
  static const TDescription d = [] {
    TDescription copie = TFormOptions::Composants;
    copie.apercuTouches = true;
    return copie;
  }();
  return d;
}

// Windows need a screen: Wine without one cannot make them.
class FenetreWin32Test : public testing::Test {
 protected:
  void SetUp() override {
    HWND essai = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    if (essai == nullptr) GTEST_SKIP() << "pas d'écran pour les fenêtres (voir sur_bureau.sh)";
    DestroyWindow(essai);
  }
};

void Presser(const FenetreWin32& f, UINT message, int x, int y) {
  SendMessageW(f.Handle(), message, 0, MAKELPARAM(x, y));
}

HWND Controle(const FenetreWin32& f, int rang) {
  HWND c = GetWindow(f.Handle(), GW_CHILD);
  for (int i = 0; i < rang && c != nullptr; ++i) c = GetWindow(c, GW_HWNDNEXT);
  return c;
}

TEST_F(FenetreWin32Test, WindowsTakeTheirTablesPlaceSizeAndShape) {
  FicheEspion fiche(TForm1::Composants);
  FenetreWin32 f(fiche, false);
  EXPECT_EQ(fiche.creations, 1);
  RECT r;
  GetWindowRect(f.Handle(), &r);
  EXPECT_EQ(r.left, 325);
  EXPECT_EQ(r.top, 171);
  EXPECT_EQ(r.right - r.left, 395);
  EXPECT_EQ(r.bottom - r.top, 392);
  EXPECT_EQ(GetWindowLongW(f.Handle(), GWL_STYLE) & WS_CAPTION, 0);

  f.AppliquerForme({TForme::Ellipse});
  HRGN forme = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(f.Handle(), forme), ERROR);
  EXPECT_TRUE(PtInRegion(forme, 197, 196));
  EXPECT_TRUE(PtInRegion(forme, 2, 196));
  EXPECT_FALSE(PtInRegion(forme, 10, 10));
  DeleteObject(forme);

  // The boxes: 17 check boxes 14 or 15 pixels wide in tab order, then the edit box.
  FicheEspion options(TFormOptions::Composants);
  FenetreWin32 o(options, false);
  for (int i = 0; i < 18; ++i) {
    HWND c = Controle(o, i);
    ASSERT_NE(c, nullptr) << i;
    wchar_t classe[16];
    GetClassNameW(c, classe, 16);
    RECT b;
    GetWindowRect(c, &b);
    EXPECT_EQ(std::wstring(classe), i < 17 ? L"Button" : L"Edit") << i;
    if (i < 17) {
      EXPECT_EQ(b.right - b.left, i < 8 ? 14 : 15) << i;
    }
    EXPECT_TRUE(GetWindowLongW(c, GWL_STYLE) & WS_TABSTOP) << i;
  }
}

TEST_F(FenetreWin32Test, EveryButtonReachesTheTopmostZoneLabelsAndTheShownPanelKeepTheirPresses) {
  FicheEspion fiche(TForm1::Composants);
  FenetreWin32 f(fiche, false);
  Presser(f, WM_LBUTTONDOWN, 99, 110);   // start
  Presser(f, WM_RBUTTONDOWN, 330, 70);   // help over the close mark
  Presser(f, WM_MBUTTONDOWN, 325, 88);   // help over the stop zone's corner
  Presser(f, WM_RBUTTONDOWN, 152, 86);   // the options zone's corner
  Presser(f, WM_LBUTTONDOWN, 200, 279);  // a label: nothing
  f.SetVisible("Panel1", true);
  Presser(f, WM_LBUTTONDOWN, 190, 131);  // the shown panel over the options zone: nothing
  f.SetVisible("Panel1", false);
  Presser(f, WM_LBUTTONDOWN, 190, 131);
  EXPECT_EQ(fiche.presses, (std::vector<std::string>{"Shape2/0", "Shape3/1", "Shape3/2",
                                                     "ShapeOptions/1", "ShapeOptions/0"}));
}

TEST_F(FenetreWin32Test, KeyPreviewSeesCharactersBeforeTheControlsAndTextsAreUnicode) {
  FicheEspion fiche(AvecApercu());
  FenetreWin32 f(fiche, false);
  HWND edition = Controle(f, 17);
  for (wchar_t c : {L'$', L'a', L'*'}) PostMessageW(edition, WM_CHAR, c, 0);
  Vider();
  EXPECT_EQ(fiche.touches, "$a*");
  EXPECT_EQ(f.Texte("EditEffacer"), "a*");  // "$" went no further

  f.SetTexte("EditEffacer", "été;*.$*");
  EXPECT_EQ(f.Texte("EditEffacer"), "été;*.$*");
  EXPECT_FALSE(fiche.changes.empty());
  EXPECT_EQ(fiche.changes.back(), "EditEffacer");
  f.SetCoche("CheckBox9", true);
  EXPECT_TRUE(f.Coche("CheckBox9"));
  EXPECT_FALSE(f.Coche("CheckBox10"));

  // Without key preview the control gets every character.
  FicheEspion sans(TFormOptions::Composants);
  FenetreWin32 o(sans, false);
  PostMessageW(Controle(o, 17), WM_CHAR, L'$', 0);
  Vider();
  EXPECT_EQ(o.Texte("EditEffacer"), "$");
  EXPECT_EQ(sans.touches, "");
}

TEST_F(FenetreWin32Test, CloseAsksTheFormDestructionTellsItAndTheMainWindowEndsTheLoop) {
  FicheEspion fiche(TForm1::Composants);
  FenetreWin32 f(fiche, true);
  SendMessageW(f.Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(fiche.demandesFermeture, 1);
  EXPECT_TRUE(IsWindow(f.Handle()));
  DestroyWindow(f.Handle());  // as a tool would
  EXPECT_EQ(fiche.destructions, 1);

  FicheEspion autre(TForm1::Composants);
  FenetreWin32 g(autre, true);
  g.Fermer();
  EXPECT_EQ(g.Handle(), nullptr);
  EXPECT_EQ(autre.destructions, 0);
  // The drain leaves the quit request to the loop.
  Vider();
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// A key pressed and released where the focus is, through the program's own loop.
void Taper(WPARAM touche) {
  HWND focus = GetFocus();
  PostMessageW(focus, WM_KEYDOWN, touche, 1);
  PostMessageW(focus, WM_KEYUP, touche, 0xC0000001);
  Vider();
}

// Whether `dessus` lies above `dessous` among the top-level windows.
bool AuDessus(HWND dessus, HWND dessous) {
  for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    if (w == dessus) return true;
    if (w == dessous) return false;
  }
  return false;
}

TEST_F(FenetreWin32Test, TheOptionsWindowBelongsToTheMainWindowAndOpensOnItsFirstBox) {
  FicheEspion principale(TForm1::Composants);
  FenetreWin32 f(principale, true);
  FicheEspion options(TFormOptions::Composants);
  FenetreWin32 o(options, false, f.Handle());
  // Owned: one taskbar entry for the program, the options window always above the main one.
  EXPECT_EQ(GetWindow(o.Handle(), GW_OWNER), f.Handle());
  EXPECT_EQ(GetWindowLongW(o.Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
  EXPECT_NE(GetWindowLongW(f.Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
  ShowWindow(f.Handle(), SW_SHOW);
  o.Montrer();
  SetWindowPos(f.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_TRUE(AuDessus(o.Handle(), f.Handle()));

  // The first box has the focus: the first Space checks it.
  Vider();
  EXPECT_EQ(GetFocus(), Controle(o, 0));
  Taper(VK_SPACE);
  EXPECT_TRUE(o.Coche("CheckBox1"));
  // Hidden and shown again, the window gives the focus back to the control that had it.
  Taper(VK_TAB);
  EXPECT_EQ(GetFocus(), Controle(o, 1));
  o.Cacher();
  o.Montrer();
  Vider();
  EXPECT_EQ(GetFocus(), Controle(o, 1));
}

// What the system sends a window that reaches a screen of `dpi`: the rectangle it proposes
// keeps the window's top-left corner.
void NouvelleEchelle(const FenetreWin32& f, UINT dpi, int largeur, int hauteur) {
  RECT r;
  GetWindowRect(f.Handle(), &r);
  RECT propose{r.left, r.top, r.left + largeur, r.top + hauteur};
  SendMessageW(f.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&propose));
}

RECT ClientDe(HWND controle) {
  RECT r;
  GetWindowRect(controle, &r);
  MapWindowPoints(nullptr, GetParent(controle), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST_F(FenetreWin32Test, WindowsFollowTheDisplaysScale) {
  FicheEspion fiche(TForm1::Composants);
  FenetreWin32 f(fiche, false);
  f.AppliquerForme({TForme::Ellipse});
  // 150 %: 144 DPI.
  NouvelleEchelle(f, 144, 593, 588);
  RECT r;
  GetWindowRect(f.Handle(), &r);
  EXPECT_EQ(r.right - r.left, 593);
  EXPECT_EQ(r.bottom - r.top, 588);
  HRGN forme = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(f.Handle(), forme), ERROR);
  EXPECT_TRUE(PtInRegion(forme, 296, 294));
  EXPECT_TRUE(PtInRegion(forme, 3, 294));
  EXPECT_TRUE(PtInRegion(forme, 296, 585));
  EXPECT_FALSE(PtInRegion(forme, 15, 15));
  EXPECT_FALSE(PtInRegion(forme, 578, 573));
  DeleteObject(forme);
  // The zones where the scaled skin shows them.
  Presser(f, WM_LBUTTONDOWN, 148, 165);  // start
  Presser(f, WM_LBUTTONDOWN, 495, 105);  // help over the close mark
  Presser(f, WM_LBUTTONDOWN, 300, 418);  // a label
  Presser(f, WM_LBUTTONDOWN, 430, 165);  // stop
  EXPECT_EQ(fiche.presses, (std::vector<std::string>{"Shape2/0", "Shape3/0", "ShapeEffacer/0"}));

  // The options window: its boxes, edit box and their font, its rounded outline.
  FicheEspion options(TFormOptions::Composants);
  FenetreWin32 o(options, false);
  o.AppliquerForme({TForme::RectangleArrondi, 65, 65});
  NouvelleEchelle(o, 144, 728, 524);
  const RECT case1 = ClientDe(Controle(o, 0));
  EXPECT_EQ(case1.left, 336);
  EXPECT_EQ(case1.top, 162);
  EXPECT_EQ(case1.right - case1.left, 21);
  const RECT case9 = ClientDe(Controle(o, 8));
  EXPECT_EQ(case9.left, 48);
  EXPECT_EQ(case9.right - case9.left, 23);
  const RECT edition = ClientDe(Controle(o, 17));
  EXPECT_EQ(edition.left, 48);
  EXPECT_EQ(edition.top, 380);
  EXPECT_EQ(edition.right, 273);
  LOGFONTW police{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Controle(o, 17), WM_GETFONT, 0, 0)),
             sizeof police, &police);
  EXPECT_EQ(police.lfHeight, -16);  // 8 points at 144 DPI
  forme = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(o.Handle(), forme), ERROR);
  EXPECT_TRUE(PtInRegion(forme, 364, 3));
  EXPECT_TRUE(PtInRegion(forme, 726, 262));
  EXPECT_FALSE(PtInRegion(forme, 12, 12));  // inside a 65-pixel corner, outside a 98-pixel one
  DeleteObject(forme);

  // Back at 100 %, everything as designed.
  NouvelleEchelle(o, 96, 485, 349);
  EXPECT_EQ(ClientDe(Controle(o, 0)).left, 224);
  EXPECT_EQ(ClientDe(Controle(o, 17)).right, 182);
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Controle(o, 17), WM_GETFONT, 0, 0)),
             sizeof police, &police);
  EXPECT_EQ(police.lfHeight, -11);
}

// The text the help reader shows for the help file `fichier` read as `contenu`.
std::wstring TexteDuLecteur(const std::string& fichier, const std::optional<std::string>& contenu) {
  MontrerLecteurAide(nullptr, fichier, contenu);
  HWND lecteur = FindWindowW(L"Tidora2000Aide", nullptr);
  if (lecteur == nullptr) return L"(pas de lecteur)";
  HWND texte = GetDlgItem(lecteur, 1);
  std::wstring lu(static_cast<std::size_t>(GetWindowTextLengthW(texte)) + 1, L'\0');
  lu.resize(static_cast<std::size_t>(GetWindowTextW(texte, lu.data(), static_cast<int>(lu.size()))));
  ShowWindow(lecteur, SW_HIDE);
  return lu;
}

TEST(SurLEcranTest, KeepsAPlaceThatFitsAndMovesAWindowOnlyAsFarAsItMust) {
  const auto egaux = [](const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  };
  const RECT principale{325, 171, 720, 563};
  EXPECT_TRUE(egaux(SurLEcran(principale, {0, 0, 1920, 1080}), principale));
  EXPECT_TRUE(
      egaux(SurLEcran({1525, 688, 1920, 1080}, {0, 0, 1920, 1080}), {1525, 688, 1920, 1080}));
  // The main window at 200 % (192 DPI) on a 1280x800 screen, then with a taskbar along the bottom.
  EXPECT_TRUE(egaux(SurLEcran({650, 342, 1440, 1126}, {0, 0, 1280, 800}), {490, 16, 1280, 800}));
  EXPECT_TRUE(egaux(SurLEcran({650, 342, 1440, 1126}, {0, 0, 1280, 760}), {490, 0, 1280, 784}));
  // A screen to the left of the primary one.
  EXPECT_TRUE(egaux(SurLEcran({-200, 100, 195, 492}, {-1024, 0, 0, 768}), {-395, 100, 0, 492}));
}

// A window whose table places it past the desktop's corner (1024x768 under sur_bureau.sh) is made
// whole on the screen, against the edges it went past; shown again after a move half off the
// screen, it is back on it.
TEST_F(FenetreWin32Test, AWindowThatWouldFallOffTheScreenIsBroughtOntoIt) {
  static const TDescription loin = [] {
    TDescription copie = TForm1::Composants;
    copie.boite.gauche = 3000;
    copie.boite.haut = 2000;
    return copie;
  }();
  FicheEspion fiche(loin);
  FenetreWin32 f(fiche, false);
  RECT r;
  GetWindowRect(f.Handle(), &r);
  MONITORINFO ecran{};
  ecran.cbSize = sizeof ecran;
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(f.Handle(), MONITOR_DEFAULTTONULL), &ecran));
  EXPECT_EQ(r.right, ecran.rcWork.right);
  EXPECT_EQ(r.bottom, ecran.rcWork.bottom);
  EXPECT_EQ(r.right - r.left, 395);
  EXPECT_EQ(r.bottom - r.top, 392);

  SetWindowPos(f.Handle(), nullptr, ecran.rcWork.right - 100, ecran.rcWork.top - 50, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  f.Montrer();
  GetWindowRect(f.Handle(), &r);
  EXPECT_EQ(r.right, ecran.rcWork.right);
  EXPECT_EQ(r.top, ecran.rcWork.top);
  f.Cacher();
}

TEST_F(FenetreWin32Test, TheHelpReaderShowsUtf8OrWindows1252WithWindowsLineEnds) {
  const std::string fichier = "C:\\Program Files\\Tidora 2000\\Tidora2000.hlp";
  EXPECT_EQ(TexteDuLecteur(fichier, "\xEF\xBB\xBF" "AIDE\n\u00e9t\u00e9 \u2013 l\u2019aide\r\n"),
            L"AIDE\r\n\u00e9t\u00e9 \u2013 l\u2019aide\r\n");
  EXPECT_EQ(TexteDuLecteur(fichier, "Autre aide, \xE9t\xE9 \x96 l\x92" "aide \x80\n"),
            L"Autre aide, \u00e9t\u00e9 \u2013 l\u2019aide \u20ac\r\n");
  EXPECT_EQ(TexteDuLecteur(fichier, std::nullopt),
            Large("Impossible d'ouvrir le fichier d'aide " + fichier + "."));
}

TEST(ImagesTest, SkinsAreDecodedFromTheProgramsResources) {
  DemarrerImages();
  for (const auto& [nom, largeur, hauteur] :
       {std::tuple{"principale.jpg", 395, 392}, {"options.jpg", 485, 349}, {"credits.jpg", 160, 30}}) {
    HBITMAP image = ChargerImage(nom);
    ASSERT_NE(image, nullptr) << nom;
    BITMAP b;
    GetObjectW(image, sizeof b, &b);
    EXPECT_EQ(b.bmWidth, largeur) << nom;
    EXPECT_EQ(b.bmHeight, hauteur) << nom;
    DeleteObject(image);
  }
  EXPECT_EQ(ChargerImage("absente.jpg"), nullptr);
  // For a 144 DPI screen, half as large again.
  HBITMAP grande = ChargerImage("principale.jpg", 144);
  ASSERT_NE(grande, nullptr);
  BITMAP b;
  GetObjectW(grande, sizeof b, &b);
  EXPECT_EQ(b.bmWidth, 593);
  EXPECT_EQ(b.bmHeight, 588);
  DeleteObject(grande);
  EXPECT_EQ(LignesWindows("12 fichiers\r1 kO\r\nfin\n"), L"12 fichiers\r\n1 kO\r\nfin\r\n");
}

}  // namespace
