#include "kits/win32/Boites.h"

#include <windows.h>

#include <exception>

#include "forms/TexteBoite.h"
#include "kits/win32/Texte.h"

namespace {

constexpr wchar_t kTitre[] = L"Tidora 2000";
bool finDemandee = false;

void Afficher(const std::string& texte, UINT icone) {
  HWND proprietaire = GetActiveWindow();
  MessageBoxW(proprietaire, LignesWindows(texte).c_str(), kTitre, MB_OK | icone);
  if (finDemandee) PostQuitMessage(0);
}

}  // namespace

void AfficherMessage(const std::string& texte) {
  Afficher(texte, 0);
}

void AfficherErreur(const std::string& message) {
  Afficher(TexteErreur(message), MB_ICONERROR);
}

void Garde(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    AfficherErreur(e.what());
  } catch (...) {
    AfficherErreur("Erreur inattendue");
  }
}

void DemanderFin() {
  finDemandee = true;
  PostQuitMessage(0);
}
