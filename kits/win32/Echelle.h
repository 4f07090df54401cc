#pragma once
// The screen's scale: the windows' sizes are given for a 96 DPI screen and drawn at the DPI of
// the screen each window is on.
#include <windows.h>

// The DPI of the screen `hwnd` is on; the system's where the system cannot tell a window's own
// (before Windows 10).
UINT DpiDe(HWND hwnd);
// `longueur` pixels of a 96 DPI screen on a screen of `dpi`.
inline int AEchelle(int longueur, UINT dpi) {
  return MulDiv(longueur, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}
