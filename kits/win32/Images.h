#pragma once
// The skins, embedded in the program as RCDATA resources named after their file
// ("principale.jpg" is PRINCIPALE_JPG), decoded by the system's GDI+.
#include <windows.h>

#include <string_view>

// Starts GDI+ for the program's life (before the first picture).
void DemarrerImages();
// The picture as a bitmap the caller owns, at its own size on a 96 DPI screen, scaled for a
// screen of `dpi`; nullptr when it is missing or cannot be decoded.
HBITMAP ChargerImage(std::string_view fichier, UINT dpi = USER_DEFAULT_SCREEN_DPI);
