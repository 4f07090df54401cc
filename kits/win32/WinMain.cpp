// Start-up of the Windows program: the two windows in start-up order (the main window empties
// the plan, then the hidden options window loads the options file), then the main window until
// it closes. The program works on the real user profile: it never seeds sample traces there,
// and its help file comes beside it with the program.
#include <windows.h>
#include <commctrl.h>

#include "app/Unit1.h"
#include "kits/win32/Boucle.h"
#include "kits/win32/FenetreWin32.h"
#include "options/Unit2.h"
#include "platform/Drive.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controles{sizeof controles, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controles);

  const os::Drive lecteur = os::Drive::system();
  TForm1 form1(lecteur);
  Form1 = &form1;
  FenetreWin32 principale(form1, true);
  TFormOptions formOptions(lecteur);
  FormOptions = &formOptions;
  FenetreWin32 options(formOptions, false, principale.Handle());

  ShowWindow(principale.Handle(), SW_SHOW);
  UpdateWindow(principale.Handle());
  const int code = BouclePrincipale();
  FormOptions = nullptr;
  Form1 = nullptr;
  return code;
}
