#include "kits/win32/Images.h"

// GDI+ needs the COM declarations first.
#include <objidl.h>
#include <shlwapi.h>
// clang-format off
#include <gdiplus.h>
// clang-format on

#include <algorithm>
#include <string>

#include "kits/win32/Echelle.h"

namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

std::wstring NomRessource(std::string_view fichier) {
  std::wstring nom;
  for (const char c : fichier) {
    nom += c == '.' ? L'_' : static_cast<wchar_t>(std::toupper(static_cast<unsigned char>(c)));
  }
  return nom;
}

// `image` drawn at `largeur` x `hauteur` with a high-quality bicubic filter; its edge pixels
// stand for what lies beyond them, so that the border keeps its colours. Null on failure.
GpBitmap* Redimensionnee(GpImage* image, int largeur, int hauteur) {
  UINT l = 0, h = 0;
  GdipGetImageWidth(image, &l);
  GdipGetImageHeight(image, &h);
  GpBitmap* cible = nullptr;
  if (GdipCreateBitmapFromScan0(largeur, hauteur, 0, PixelFormat32bppARGB, nullptr, &cible) != Ok) {
    return nullptr;
  }
  GpGraphics* g = nullptr;
  GpImageAttributes* attributs = nullptr;
  bool fait = GdipGetImageGraphicsContext(cible, &g) == Ok &&
              GdipCreateImageAttributes(&attributs) == Ok;
  if (fait) {
    GdipSetInterpolationMode(g, InterpolationModeHighQualityBicubic);
    GdipSetPixelOffsetMode(g, PixelOffsetModeHighQuality);
    GdipSetImageAttributesWrapMode(attributs, WrapModeTileFlipXY, 0, FALSE);
    fait = GdipDrawImageRectRectI(g, image, 0, 0, largeur, hauteur, 0, 0, static_cast<INT>(l),
                                  static_cast<INT>(h), UnitPixel, attributs, nullptr,
                                  nullptr) == Ok;
  }
  if (attributs != nullptr) GdipDisposeImageAttributes(attributs);
  if (g != nullptr) GdipDeleteGraphics(g);
  if (!fait) {
    GdipDisposeImage(cible);
    return nullptr;
  }
  return cible;
}

}  // namespace

void DemarrerImages() {
  static ULONG_PTR jeton = 0;
  if (jeton != 0) return;
  GdiplusStartupInput entree;
  GdiplusStartup(&jeton, &entree, nullptr);
}

HBITMAP ChargerImage(std::string_view fichier, UINT dpi) {
  HRSRC ressource = FindResourceW(nullptr, NomRessource(fichier).c_str(), RT_RCDATA);
  if (ressource == nullptr) return nullptr;
  HGLOBAL bloc = LoadResource(nullptr, ressource);
  const void* octets = bloc ? LockResource(bloc) : nullptr;
  const DWORD taille = SizeofResource(nullptr, ressource);
  if (octets == nullptr || taille == 0) return nullptr;

  IStream* flux = SHCreateMemStream(static_cast<const BYTE*>(octets), taille);
  if (flux == nullptr) return nullptr;
  GpBitmap* image = nullptr;
  HBITMAP bitmap = nullptr;
  if (GdipCreateBitmapFromStream(flux, &image) == Ok) {
    UINT largeur = 0, hauteur = 0;
    GdipGetImageWidth(image, &largeur);
    GdipGetImageHeight(image, &hauteur);
    GpBitmap* montree = image;
    if (dpi != USER_DEFAULT_SCREEN_DPI) {
      montree = Redimensionnee(image, AEchelle(static_cast<int>(largeur), dpi),
                               AEchelle(static_cast<int>(hauteur), dpi));
    }
    if (montree == nullptr || GdipCreateHBITMAPFromBitmap(montree, &bitmap, 0xFF000000) != Ok) {
      bitmap = nullptr;
    }
    if (montree != nullptr && montree != image) GdipDisposeImage(montree);
    GdipDisposeImage(image);
  }
  flux->Release();
  return bitmap;
}
