#include "kits/win32/LecteurAide.h"

#include <string>

#include "forms/TexteAide.h"
#include "kits/win32/Echelle.h"
#include "kits/win32/Texte.h"

namespace {

constexpr wchar_t kClasse[] = L"Tidora2000Aide";
constexpr int kIdTexte = 1;

HWND lecteur = nullptr;
HFONT police = nullptr;

// The text's font at `dpi`, given to the text box.
void Habiller(HWND fenetre, UINT dpi) {
  HFONT ancienne = police;
  police = CreateFontW(-MulDiv(10, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                       FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"Courier New");
  SendMessageW(GetDlgItem(fenetre, kIdTexte), WM_SETFONT, reinterpret_cast<WPARAM>(police), TRUE);
  if (ancienne != nullptr) DeleteObject(ancienne);
}

// The help file's text for an edit box (TexteAide()), its lines ending in CR LF.
std::wstring TexteLecteur(const std::string& fichier, const std::optional<std::string>& octets) {
  if (!octets) return Large("Impossible d'ouvrir le fichier d'aide " + fichier + ".");
  const std::wstring texte = Large(TexteAide(*octets));
  std::wstring lignes;
  for (std::size_t i = 0; i < texte.size(); ++i) {
    if (texte[i] == L'\n' && (i == 0 || texte[i - 1] != L'\r')) lignes += L'\r';
    lignes += texte[i];
  }
  return lignes;
}

LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_SIZE:
      MoveWindow(GetDlgItem(hwnd, kIdTexte), 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
      return 0;
    case WM_DPICHANGED: {
      Habiller(hwnd, HIWORD(wp));
      const RECT& r = *reinterpret_cast<const RECT*>(lp);
      SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_CLOSE:
      ShowWindow(hwnd, SW_HIDE);
      return 0;
    case WM_DESTROY:
      lecteur = nullptr;
      return 0;
  }
  return DefWindowProcW(hwnd, message, wp, lp);
}

HWND Creer() {
  WNDCLASSEXW classe{};
  classe.cbSize = sizeof classe;
  classe.lpfnWndProc = Procedure;
  classe.hInstance = GetModuleHandleW(nullptr);
  classe.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  classe.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  classe.lpszClassName = kClasse;
  classe.hIcon = LoadIconW(classe.hInstance, MAKEINTRESOURCEW(1));
  RegisterClassExW(&classe);
  HWND fenetre = CreateWindowExW(0, kClasse, L"Aide de Tidora 2000", WS_OVERLAPPEDWINDOW,
                                 CW_USEDEFAULT, CW_USEDEFAULT, 720, 520, nullptr, nullptr,
                                 classe.hInstance, nullptr);
  HWND texte = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                   ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                               0, 0, 0, 0, fenetre, reinterpret_cast<HMENU>(kIdTexte),
                               classe.hInstance, nullptr);
  // 720 x 520 on a 96 DPI screen.
  const UINT dpi = DpiDe(fenetre);
  Habiller(fenetre, dpi);
  if (dpi != USER_DEFAULT_SCREEN_DPI) {
    SetWindowPos(fenetre, nullptr, 0, 0, AEchelle(720, dpi), AEchelle(520, dpi),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RECT client;
  GetClientRect(fenetre, &client);
  MoveWindow(texte, 0, 0, client.right, client.bottom, FALSE);
  return fenetre;
}

}  // namespace

void MontrerLecteurAide(HWND parent, const std::string& fichier,
                        const std::optional<std::string>& contenu) {
  const bool nouveau = lecteur == nullptr;
  if (nouveau) lecteur = Creer();
  if (lecteur == nullptr) return;
  HWND texte = GetDlgItem(lecteur, kIdTexte);
  SetWindowTextW(texte, TexteLecteur(fichier, contenu).c_str());
  SendMessageW(texte, EM_SETSEL, 0, 0);
  SendMessageW(texte, EM_SCROLLCARET, 0, 0);
  if (!IsWindowVisible(lecteur) && parent != nullptr) {
    RECT p, l;
    GetWindowRect(parent, &p);
    GetWindowRect(lecteur, &l);
    const int x = (p.left + p.right) / 2 - (l.right - l.left) / 2;
    const int y = (p.top + p.bottom) / 2 - (l.bottom - l.top) / 2;
    SetWindowPos(lecteur, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }
  ShowWindow(lecteur, SW_SHOW);
  SetForegroundWindow(lecteur);
}
