#include "kits/win32/Boucle.h"

#include "kits/win32/Boites.h"
#include "kits/win32/FenetreWin32.h"

void Distribuer(MSG& message) {
  if (message.message == WM_CHAR) {
    FenetreWin32* fenetre = FenetreWin32::De(message.hwnd);
    if (fenetre != nullptr && fenetre->Fiche().Description().apercuTouches) {
      bool garde = false;
      const auto caractere = static_cast<char32_t>(message.wParam);
      Garde([&] { garde = fenetre->Fiche().KeyPress(caractere); });
      if (garde) return;
    }
  }
  if (FenetreWin32* fenetre = FenetreWin32::De(message.hwnd);
      fenetre != nullptr && fenetre->Handle() != nullptr && fenetre->Controles() &&
      IsDialogMessageW(fenetre->Handle(), &message)) {
    return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

int BouclePrincipale() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) Distribuer(message);
  return static_cast<int>(message.wParam);
}

void Vider() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // For the loop, once the run that drains has unwound.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    Distribuer(message);
  }
}
