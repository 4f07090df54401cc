#include "kits/win32/Echelle.h"

UINT DpiDe(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow != nullptr) {
    if (const UINT dpi = getDpiForWindow(hwnd); dpi != 0) return dpi;
  }
  HDC ecran = GetDC(nullptr);
  const int dpi = GetDeviceCaps(ecran, LOGPIXELSY);
  ReleaseDC(nullptr, ecran);
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}
