// The sandbox: on Windows a prefix is only for tests and benchmarks. Once one is set, drive C
// is the folder "<prefix>\drive_c" (made with the folders of a fresh profile) and
// HKEY_CURRENT_USER is a scratch key, "HKCU\Software\Tidora 2000 (bac à sable)\<prefix name>",
// holding the shell folders of that profile; the key goes when the sandbox does. Nothing else
// of the machine can be reached then: any other drive is "path not found". Without a prefix,
// paths and keys go to the system unchanged.
#include "platform/Prefix.h"

#include <cstdlib>
#include <mutex>
#include <vector>

#include "platform/SystemError.h"
#include "platform/windows/Win.h"

namespace os {
namespace {

constexpr const wchar_t* kScratchParent = L"Software\\Tidora 2000 (bac \u00e0 sable)";

struct Sandbox {
  std::mutex mutex;
  std::filesystem::path prefix;  // empty: no sandbox
  std::wstring drive;            // "<prefix>\drive_c"
  std::wstring scratchName;      // the scratch key, below kScratchParent
  HKEY hive = nullptr;           // open once the profile is made
  bool ensured = false;

  ~Sandbox() { dropHive(); }

  void dropHive() noexcept {
    if (hive != nullptr) {
      RegCloseKey(hive);
      hive = nullptr;
    }
    if (!scratchName.empty()) {
      HKEY parent = nullptr;
      if (RegOpenKeyExW(HKEY_CURRENT_USER, kScratchParent, 0, KEY_ALL_ACCESS, &parent) ==
          ERROR_SUCCESS) {
        RegDeleteTreeW(parent, scratchName.c_str());
        RegCloseKey(parent);
        RegDeleteKeyW(HKEY_CURRENT_USER, kScratchParent);  // only when empty
      }
      scratchName.clear();
    }
  }
};

std::wstring pendingMarker(const Sandbox& s) {
  return (s.prefix / ".first-start").wstring();
}

Sandbox& sandbox() {
  static Sandbox s;
  return s;
}

// The user's name as one safe path component.
std::wstring loginName() {
  std::wstring name;
  if (const wchar_t* u = _wgetenv(L"USERNAME"); u != nullptr) name = u;
  for (wchar_t& c : name) {
    const bool safe = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
                      (c >= L'0' && c <= L'9') || c == L'_' || c == L'-' || c == L'.';
    if (!safe) c = L'_';
  }
  if (!name.empty() && name[0] == L'.') name[0] = L'_';
  if (name.empty() || name.size() > 64) name = L"user";
  return name;
}

void makeFolder(const std::wstring& path) {
  if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    win::failLast("Ne peut créer le profil", win::toUtf8(path));
  }
}

void setString(HKEY key, const wchar_t* name, const std::wstring& text) {
  const LSTATUS r =
      RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  if (r != ERROR_SUCCESS) win::fail(static_cast<DWORD>(r), "Ne peut créer le profil", "HKEY_CURRENT_USER");
}

// Caller holds the mutex. Makes what is missing of the sandbox's profile.
bool ensureLocked(Sandbox& s) {
  if (s.ensured || s.prefix.empty()) return false;
  bool created = false;
  std::error_code ec;
  std::filesystem::create_directories(s.prefix, ec);
  const DWORD a = GetFileAttributesW(s.drive.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) {
    const std::wstring user = L"users\\" + loginName();
    const std::wstring local = user + L"\\AppData\\Local\\Microsoft\\Windows";
    const std::wstring roaming = user + L"\\AppData\\Roaming\\Microsoft\\Windows";
    // Until the first start's work is done (finishFreshProfile).
    const HANDLE marker = CreateFileW(pendingMarker(s).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker == INVALID_HANDLE_VALUE) {
      win::failLast("Ne peut créer le profil", win::toUtf8(pendingMarker(s)));
    }
    CloseHandle(marker);
    makeFolder(s.drive);
    for (const std::wstring& p :
         {std::wstring(L"windows"), std::wstring(L"windows\\temp"),  // as Wine spells it
          std::wstring(L"windows\\SYSBCKUP"), std::wstring(L"users"), user, user + L"\\AppData",
          user + L"\\AppData\\Local", user + L"\\AppData\\Local\\Microsoft", local,
          local + L"\\INetCache", local + L"\\History", local + L"\\INetCookies",
          user + L"\\AppData\\Roaming", user + L"\\AppData\\Roaming\\Microsoft", roaming,
          roaming + L"\\Recent", std::wstring(L"Program Files"),
          std::wstring(L"Program Files\\Tidora 2000")}) {
      makeFolder(s.drive + L"\\" + p);
    }
    created = true;
  } else if ((a & FILE_ATTRIBUTE_DIRECTORY) == 0 || (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    throw SystemError(error::AccessDenied, "Le lecteur C doit être un vrai dossier : " + win::toUtf8(s.drive));
  }

  const std::wstring key = std::wstring(kScratchParent) + L"\\" + s.scratchName;
  DWORD disposition = 0;
  LSTATUS r = RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &s.hive, &disposition);
  if (r != ERROR_SUCCESS) win::fail(static_cast<DWORD>(r), "Ne peut créer le profil", "HKEY_CURRENT_USER");
  if (disposition == REG_CREATED_NEW_KEY) {
    HKEY shell = nullptr;
    r = RegCreateKeyExW(s.hive, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                        0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &shell, nullptr);
    if (r != ERROR_SUCCESS) win::fail(static_cast<DWORD>(r), "Ne peut créer le profil", "HKEY_CURRENT_USER");
    const std::wstring base = L"C:\\users\\" + loginName() + L"\\AppData\\";
    setString(shell, L"Cache", base + L"Local\\Microsoft\\Windows\\INetCache");
    setString(shell, L"History", base + L"Local\\Microsoft\\Windows\\History");
    setString(shell, L"Recent", base + L"Roaming\\Microsoft\\Windows\\Recent");
    setString(shell, L"Cookies", base + L"Local\\Microsoft\\Windows\\INetCookies");
    RegCloseKey(shell);
    created = true;
  }
  s.ensured = true;
  return created;
}

bool isSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

// The path after "C:\", with "." and ".." resolved (never above the drive).
std::wstring resolvedTail(std::wstring_view tail) {
  std::vector<std::wstring_view> parts;
  std::size_t i = 0;
  while (i < tail.size()) {
    std::size_t j = i;
    while (j < tail.size() && !isSeparator(tail[j])) ++j;
    const std::wstring_view part = tail.substr(i, j - i);
    if (part == L"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != L".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  std::wstring out;
  for (const auto& p : parts) out.append(L"\\").append(p);
  return out;
}

bool isDriveC(std::wstring_view w) {
  return w.size() >= 3 && (w[0] == L'c' || w[0] == L'C') && w[1] == L':' && isSeparator(w[2]);
}

}  // namespace

std::filesystem::path prefixFolder() {
  Sandbox& s = sandbox();
  std::lock_guard lock(s.mutex);
  return s.prefix;
}

void setPrefixFolder(const std::filesystem::path& folder) {
  Sandbox& s = sandbox();
  std::lock_guard lock(s.mutex);
  s.dropHive();
  s.prefix = std::filesystem::absolute(folder);
  s.drive = (s.prefix / "drive_c").wstring();
  s.scratchName = s.prefix.filename().wstring();
  if (s.scratchName.empty()) s.scratchName = L"prefix";
  s.ensured = false;
}

bool ensureProfile() {
  Sandbox& s = sandbox();
  std::lock_guard lock(s.mutex);
  return ensureLocked(s);
}

// The system's own profile has no first start of ours; a sandbox's has, until marked done.
bool freshProfilePending() {
  Sandbox& s = sandbox();
  std::lock_guard lock(s.mutex);
  if (s.prefix.empty()) return false;
  ensureLocked(s);
  return GetFileAttributesW(pendingMarker(s).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void finishFreshProfile() {
  Sandbox& s = sandbox();
  std::lock_guard lock(s.mutex);
  if (s.prefix.empty()) return;
  ensureLocked(s);
  const std::wstring marker = pendingMarker(s);
  if (!DeleteFileW(marker.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
    win::failLast("Ne peut terminer le profil", win::toUtf8(marker));
  }
}

std::optional<std::filesystem::path> hostPath(std::string_view windowsPath) {
  std::wstring w;
  if (!win::toWide(windowsPath, w) || w.size() < 3 || w[1] != L':' || !isSeparator(w[2])) {
    return std::nullopt;
  }
  if (!win::systemPath(windowsPath, w)) return std::nullopt;
  if (w.starts_with(L"\\\\?\\")) w.erase(0, 4);
  return std::filesystem::path(w);
}

namespace win {

bool sandboxed() {
  Sandbox& s = sandbox();
  std::lock_guard lock(s.mutex);
  return !s.prefix.empty();
}

bool systemPath(std::string_view windowsPath, std::wstring& out) {
  if (!toWide(windowsPath, out)) return false;
  {
    Sandbox& s = sandbox();
    std::lock_guard lock(s.mutex);
    if (!s.prefix.empty()) {
      if (!isDriveC(out)) return false;
      ensureLocked(s);
      out = s.drive + resolvedTail(std::wstring_view(out).substr(3));
      if (out.size() == s.drive.size()) out += L'\\';
    }
  }
  // Past MAX_PATH only the "\\?\" form reaches the file; it takes a full path as it is.
  if (out.size() >= MAX_PATH - 12 && out.size() >= 3 && out[1] == L':' && isSeparator(out[2])) {
    const DWORD n = GetFullPathNameW(out.c_str(), 0, nullptr, nullptr);
    if (n == 0) return false;
    std::wstring full(n, L'\0');
    const DWORD m = GetFullPathNameW(out.c_str(), n, full.data(), nullptr);
    if (m == 0 || m >= n) return false;
    full.resize(m);
    out = L"\\\\?\\" + full;
  }
  return true;
}

std::wstring systemPathOrThrow(std::string_view windowsPath, std::string_view operation) {
  std::wstring out;
  if (!systemPath(windowsPath, out)) {
    std::wstring probe;
    if (!toWide(windowsPath, probe)) fail(ERROR_INVALID_NAME, operation, windowsPath);
    fail(ERROR_PATH_NOT_FOUND, operation, windowsPath);
  }
  return out;
}

HKEY userRoot() {
  Sandbox& s = sandbox();
  std::lock_guard lock(s.mutex);
  if (s.prefix.empty()) return HKEY_CURRENT_USER;
  ensureLocked(s);
  return s.hive;
}

}  // namespace win
}  // namespace os
