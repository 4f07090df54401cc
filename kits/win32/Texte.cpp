#include "kits/win32/Texte.h"

#include <windows.h>

#include "forms/TexteBoite.h"

std::wstring Large(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                    nullptr, 0);
  std::wstring texte(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), texte.data(), n);
  return texte;
}

std::string Etroit(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string texte(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), texte.data(), n,
                      nullptr, nullptr);
  return texte;
}

std::wstring LignesWindows(std::string_view utf8) {
  const std::wstring lignes = Large(LignesBoite(std::string(utf8)));
  std::wstring texte;
  texte.reserve(lignes.size() + 8);
  for (const wchar_t c : lignes) {
    if (c == L'\n') texte += L'\r';
    texte += c;
  }
  return texte;
}
