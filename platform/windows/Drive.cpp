// Drives on Windows. The system's own drive passes paths and keys to the system unchanged. A
// sandbox (tests, benchmarks) makes drive C the folder "<folder>\drive_c", holding the folders of
// a fresh profile, and HKEY_CURRENT_USER a scratch key, "HKCU\Software\Tidora 2000 (bac à
// sable)\<folder name>", holding the shell folders of that profile; the key goes with the drive.
// Nothing else of the machine can be reached through a sandbox: any other drive is "path not
// found".
#include "platform/Drive.h"

#include <cstdlib>
#include <vector>

#include "platform/SystemError.h"
#include "platform/common/UserTemp.h"
#include "platform/windows/DriveState.h"
#include "platform/windows/Win.h"

namespace os {
namespace {

constexpr const wchar_t* kScratchParent = L"Software\\Tidora 2000 (bac \u00e0 sable)";
constexpr std::string_view kSandboxWindows = "C:\\windows";
constexpr std::string_view kSandboxProgram = "C:\\Program Files\\Tidora 2000";

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

// The folders of a fresh drive C, and the pending first start, when drive C is missing.
void makeSandboxDrive(const Drive::State& s) {
  const DWORD a = GetFileAttributesW(s.drive.c_str());
  if (a != INVALID_FILE_ATTRIBUTES) {
    if ((a & FILE_ATTRIBUTE_DIRECTORY) == 0 || (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      throw SystemError(error::AccessDenied,
                        "Le lecteur C doit être un vrai dossier : " + win::toUtf8(s.drive));
    }
    return;
  }
  const std::wstring user = L"users\\" + loginName();
  const std::wstring local = user + L"\\AppData\\Local\\Microsoft\\Windows";
  const std::wstring roaming = user + L"\\AppData\\Roaming\\Microsoft\\Windows";
  // Until the first start's work is done (finishFreshProfile).
  const HANDLE marker = CreateFileW(s.pendingMarker().c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (marker == INVALID_HANDLE_VALUE) {
    win::failLast("Ne peut créer le profil", win::toUtf8(s.pendingMarker()));
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
}

// The scratch key, with the shell folders of the fresh profile when it is new.
void makeScratchKey(Drive::State& s) {
  const std::wstring key = std::wstring(kScratchParent) + L"\\" + s.scratchName;
  DWORD disposition = 0;
  HKEY hive = nullptr;
  LSTATUS r = RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &hive, &disposition);
  if (r != ERROR_SUCCESS) win::fail(static_cast<DWORD>(r), "Ne peut créer le profil", "HKEY_CURRENT_USER");
  s.hive = hive;
  if (disposition != REG_CREATED_NEW_KEY) return;
  HKEY shell = nullptr;
  r = RegCreateKeyExW(hive, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                      0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &shell, nullptr);
  if (r != ERROR_SUCCESS) win::fail(static_cast<DWORD>(r), "Ne peut créer le profil", "HKEY_CURRENT_USER");
  const std::wstring base = L"C:\\users\\" + loginName() + L"\\AppData\\";
  setString(shell, L"Cache", base + L"Local\\Microsoft\\Windows\\INetCache");
  setString(shell, L"History", base + L"Local\\Microsoft\\Windows\\History");
  setString(shell, L"Recent", base + L"Roaming\\Microsoft\\Windows\\Recent");
  setString(shell, L"Cookies", base + L"Local\\Microsoft\\Windows\\INetCookies");
  RegCloseKey(shell);
}

std::string moduleFileName() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) win::failLast("Ne peut trouver le programme", "");
    if (n < buffer.size()) {
      buffer.resize(n);
      return win::toUtf8(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
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

Drive::State::~State() {
  if (!sandboxed()) return;
  if (hive != nullptr && hive != HKEY_CURRENT_USER) RegCloseKey(hive);
  HKEY parent = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kScratchParent, 0, KEY_ALL_ACCESS, &parent) ==
      ERROR_SUCCESS) {
    RegDeleteTreeW(parent, scratchName.c_str());
    RegCloseKey(parent);
    RegDeleteKeyW(HKEY_CURRENT_USER, kScratchParent);  // only when empty
  }
}

Drive::Drive(std::shared_ptr<State> state) noexcept : state_(std::move(state)) {}
Drive::~Drive() = default;
Drive::Drive(Drive&& other) noexcept = default;
Drive& Drive::operator=(Drive&& other) noexcept = default;

Drive Drive::system() {
  return Drive(std::make_shared<State>());
}

Drive Drive::sandbox(const std::filesystem::path& folder) {
  auto s = std::make_shared<State>();
  s->prefix = std::filesystem::absolute(folder);
  s->drive = (s->prefix / "drive_c").wstring();
  s->scratchName = s->prefix.filename().wstring();
  if (s->scratchName.empty()) s->scratchName = L"prefix";
  std::error_code ec;
  std::filesystem::create_directories(s->prefix, ec);
  makeSandboxDrive(*s);
  makeScratchKey(*s);
  return Drive(std::move(s));
}

const std::filesystem::path& Drive::prefix() const noexcept {
  return state_->prefix;
}

std::string Drive::windowsDirectory() const {
  if (state_->sandboxed()) return std::string(kSandboxWindows);
  wchar_t buffer[MAX_PATH + 1];
  const UINT n = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
  if (n == 0 || n > MAX_PATH) win::failLast("Ne peut trouver le dossier de Windows", "");
  return win::toUtf8(std::wstring_view(buffer, n));
}

std::string Drive::executablePath() const {
  if (state_->sandboxed()) return std::string(kSandboxProgram) + "\\Tidora2000.exe";
  return moduleFileName();
}

std::string Drive::executableFolder() const {
  std::string path = executablePath();
  const std::size_t cut = path.find_last_of("\\/");
  path.resize(cut == std::string::npos ? 0 : cut);
  return path;
}

std::optional<std::string> Drive::userTempDirectory() const {
  if (state_->sandboxed()) return host::userTempFromRegistry(*this);
  wchar_t buffer[MAX_PATH + 2];
  const DWORD n = GetTempPathW(MAX_PATH + 2, buffer);
  if (n == 0 || n > MAX_PATH + 1) return std::nullopt;
  std::string path = win::toUtf8(std::wstring_view(buffer, n));
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  if (!host::looksTemporary(path)) return std::nullopt;
  return path;
}

// On Windows the program works on the user's own profile: there is no prefix to share.
std::optional<PrefixUser> Drive::user() const {
  return std::nullopt;
}

void Drive::checkFree() const {}

// The system's own profile has no first start of ours; a sandbox's has, until marked done.
bool Drive::freshProfilePending() const {
  return state_->sandboxed() &&
         GetFileAttributesW(state_->pendingMarker().c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Drive::finishFreshProfile() const {
  if (!state_->sandboxed()) return;
  const std::wstring marker = state_->pendingMarker();
  if (!DeleteFileW(marker.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
    win::failLast("Ne peut terminer le profil", win::toUtf8(marker));
  }
}

bool Drive::madeByProgram() const {
  return state_->sandboxed();
}

namespace win {

bool systemPath(const Drive::State& drive, std::string_view windowsPath, std::wstring& out) {
  if (!toWide(windowsPath, out)) return false;
  if (drive.sandboxed()) {
    if (!isDriveC(out)) return false;
    out = drive.drive + resolvedTail(std::wstring_view(out).substr(3));
    if (out.size() == drive.drive.size()) out += L'\\';
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

std::wstring systemPathOrThrow(const Drive::State& drive, std::string_view windowsPath,
                               std::string_view operation) {
  std::wstring out;
  if (!systemPath(drive, windowsPath, out)) {
    std::wstring probe;
    if (!toWide(windowsPath, probe)) fail(ERROR_INVALID_NAME, operation, windowsPath);
    fail(ERROR_PATH_NOT_FOUND, operation, windowsPath);
  }
  return out;
}

}  // namespace win
}  // namespace os
