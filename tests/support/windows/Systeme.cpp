// Links and undeletable files on Windows. A folder link is a symbolic link when the user may
// make one; under Wine, whose CreateSymbolicLinkW makes nothing, it is a host symbolic link made
// by the host's "ln" (Wine starts host programs), which Wine shows as a reparse point. A file is
// kept undeletable by a handle open on it that does not share deletion.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "tests/support/Systeme.h"

namespace {

bool EstUnLien(const std::filesystem::path& lien) {
  const DWORD a = GetFileAttributesW(lien.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// The host path of a Windows path, under Wine; empty elsewhere.
std::string CheminHote(const std::filesystem::path& p) {
  using Fonction = char* (*)(const wchar_t*);
  const auto f = reinterpret_cast<Fonction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
  if (f == nullptr) return {};
  char* hote = f(p.c_str());
  if (hote == nullptr) return {};
  std::string resultat = hote;
  HeapFree(GetProcessHeap(), 0, hote);
  return resultat;
}

// Runs a host program under Wine ("/bin/ln"), with its arguments; false when it cannot start.
// Wine does not wait for a host program: the caller waits for its effect.
bool CommandeHote(const std::wstring& programme, const std::vector<std::string>& arguments) {
  const std::wstring chemin = L"\\\\?\\unix" + std::filesystem::path(programme).make_preferred().wstring();
  std::wstring ligne = L"\"" + chemin + L"\"";
  for (const std::string& a : arguments) {
    ligne += L" \"" + std::filesystem::path(a).wstring() + L"\"";
  }
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(chemin.c_str(), ligne.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &pi)) {
    return false;
  }
  WaitForSingleObject(pi.hProcess, 30000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return true;
}

bool LienParLeSystemeHote(const std::filesystem::path& cible, const std::filesystem::path& lien) {
  const std::string hoteLien = CheminHote(lien);
  const std::string hoteCible = cible.is_absolute() ? CheminHote(cible) : cible.generic_string();
  if (hoteLien.empty() || hoteCible.empty()) return false;
  if (!CommandeHote(L"/bin/ln", {"-s", "--", hoteCible, hoteLien})) return false;
  for (int i = 0; i < 500 && !EstUnLien(lien); ++i) Sleep(10);
  return true;
}

// Removes a tree by hand: attributes cleared, links removed without entering them.
void EffacerAMain(const std::wstring& dossier) {
  WIN32_FIND_DATAW d;
  const HANDLE h = FindFirstFileW((dossier + L"\\*").c_str(), &d);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring nom = d.cFileName;
      if (nom == L"." || nom == L"..") continue;
      const std::wstring chemin = dossier + L"\\" + nom;
      SetFileAttributesW(chemin.c_str(), FILE_ATTRIBUTE_NORMAL);
      const DWORD a = d.dwFileAttributes;
      if ((a & FILE_ATTRIBUTE_DIRECTORY) != 0 && (a & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        EffacerAMain(chemin);
      } else if ((a & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        RemoveDirectoryW(chemin.c_str());
      } else {
        DeleteFileW(chemin.c_str());
      }
    } while (FindNextFileW(h, &d));
    FindClose(h);
  }
  RemoveDirectoryW(dossier.c_str());
}

std::map<std::wstring, HANDLE>& Verrous() {
  static std::map<std::wstring, HANDLE> verrous;
  return verrous;
}

}  // namespace

bool LienDossier(const std::filesystem::path& cible, const std::filesystem::path& lien) {
  if (CreateSymbolicLinkW(lien.c_str(), cible.c_str(),
                          SYMBOLIC_LINK_FLAG_DIRECTORY | 0x2 /* unprivileged */) &&
      EstUnLien(lien)) {
    return true;
  }
  return LienParLeSystemeHote(cible, lien) && EstUnLien(lien);
}

bool RendreIndelebile(const std::filesystem::path& fichier) {
  const HANDLE h = CreateFileW(fichier.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  Verrous()[fichier.wstring()] = h;
  return true;
}

void Liberer(const std::filesystem::path& fichier) {
  const auto i = Verrous().find(fichier.wstring());
  if (i == Verrous().end()) return;
  CloseHandle(i->second);
  Verrous().erase(i);
}

// Under Wine by the host's "rm": Wine cannot remove a link to a folder, and deleting a link to a
// file would delete its target.
void EffacerArbre(const std::filesystem::path& racine) {
  const std::string hote = CheminHote(racine);
  if (racine.filename().string().rfind("tidora-", 0) != 0) return;  // only what tests made
  if (!hote.empty()) {
    if (CommandeHote(L"/bin/rm", {"-rf", "--", hote})) {
      for (int i = 0; i < 1000 && GetFileAttributesW(racine.c_str()) != INVALID_FILE_ATTRIBUTES;
           ++i) {
        Sleep(10);
      }
    }
    return;
  }
  EffacerAMain(racine.wstring());
}
