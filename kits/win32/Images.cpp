#include "kits/win32/Images.h"

// GDI+ needs the COM declarations first.
#include <objidl.h>
#include <shlwapi.h>
// clang-format off
#include <gdiplus.h>
// clang-format on

#include <algorithm>
#include <string>

namespace {

std::wstring NomRessource(std::string_view fichier) {
  std::wstring nom;
  for (const char c : fichier) {
    nom += c == '.' ? L'_' : static_cast<wchar_t>(std::toupper(static_cast<unsigned char>(c)));
  }
  return nom;
}

}  // namespace

void DemarrerImages() {
  static ULONG_PTR jeton = 0;
  if (jeton != 0) return;
  Gdiplus::GdiplusStartupInput entree;
  Gdiplus::GdiplusStartup(&jeton, &entree, nullptr);
}

HBITMAP ChargerImage(std::string_view fichier) {
  HRSRC ressource = FindResourceW(nullptr, NomRessource(fichier).c_str(), RT_RCDATA);
  if (ressource == nullptr) return nullptr;
  HGLOBAL bloc = LoadResource(nullptr, ressource);
  const void* octets = bloc ? LockResource(bloc) : nullptr;
  const DWORD taille = SizeofResource(nullptr, ressource);
  if (octets == nullptr || taille == 0) return nullptr;

  IStream* flux = SHCreateMemStream(static_cast<const BYTE*>(octets), taille);
  if (flux == nullptr) return nullptr;
  Gdiplus::GpBitmap* image = nullptr;
  HBITMAP bitmap = nullptr;
  if (Gdiplus::DllExports::GdipCreateBitmapFromStream(flux, &image) == Gdiplus::Ok) {
    if (Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(image, &bitmap, 0xFF000000) !=
        Gdiplus::Ok) {
      bitmap = nullptr;
    }
    Gdiplus::DllExports::GdipDisposeImage(image);
  }
  flux->Release();
  return bitmap;
}
