// File and folder services through the wide calls.
#include "platform/FileSystem.h"

#include "platform/Attributes.h"
#include "platform/SystemError.h"
#include "platform/windows/Win.h"

namespace os {
namespace {

constexpr std::uint32_t kSettable = attr::ReadOnly | attr::Hidden | attr::System;
// What SetFileAttributesW accepts besides those three.
constexpr DWORD kKept = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED |
                        FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_TEMPORARY;

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

}  // namespace

std::optional<std::uint32_t> fileAttributes(std::string_view path) {
  std::wstring w;
  if (!win::systemPath(path, w)) return std::nullopt;
  const DWORD a = GetFileAttributesW(w.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return a;
}

void setFileAttributes(std::string_view path, std::uint32_t attributes) {
  constexpr std::string_view op = "Ne peut changer les attributs de";
  const std::wstring w = win::systemPathOrThrow(path, op);
  const DWORD now = GetFileAttributesW(w.c_str());
  if (now == INVALID_FILE_ATTRIBUTES) win::failLast(op, path);
  DWORD wanted = (now & kKept) | (attributes & kSettable);
  if (wanted == (now & (kKept | kSettable))) return;
  if (wanted == 0) wanted = FILE_ATTRIBUTE_NORMAL;
  win::noteChange();
  if (!SetFileAttributesW(w.c_str(), wanted)) win::failLast(op, path);
}

// Names a listing gave are passed to the system as they are: it finds files by name, whatever
// their case, as it always does, so `listedFrom` changes nothing here.
std::optional<std::uint32_t> fileAttributes(std::string_view path, std::size_t) {
  return fileAttributes(path);
}

void deleteListedFile(std::string_view path, std::size_t) {
  constexpr std::string_view op = "Ne peut supprimer le fichier";
  const std::wstring w = win::systemPathOrThrow(path, op);
  const DWORD a = GetFileAttributesW(w.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) win::failLast(op, path);
  if ((a & FILE_ATTRIBUTE_DIRECTORY) != 0) win::fail(ERROR_ACCESS_DENIED, op, path);
  if ((a & kSettable) != 0 && (a & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    // The attributes of a file with several names belong to all of them: only this name goes,
    // and a read-only one then stays.
    BY_HANDLE_FILE_INFORMATION info{};
    const HANDLE h = CreateFileW(w.c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    const bool single = h != INVALID_HANDLE_VALUE && GetFileInformationByHandle(h, &info) &&
                        info.nNumberOfLinks <= 1;
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    if (single) {
      win::noteChange();
      DWORD wanted = a & kKept;
      if (wanted == 0) wanted = FILE_ATTRIBUTE_NORMAL;
      if (!SetFileAttributesW(w.c_str(), wanted)) win::failLast(op, path);
    }
  }
  win::noteChange();
  if (!DeleteFileW(w.c_str())) win::failLast(op, path);
}

std::string fileKey(std::string_view path, std::size_t) {
  return fileKey(path);
}

void removeDirectory(std::string_view path, std::size_t) {
  removeDirectory(path);
}

void deleteFile(std::string_view path) {
  constexpr std::string_view op = "Ne peut supprimer le fichier";
  win::noteChange();
  if (!DeleteFileW(win::systemPathOrThrow(path, op).c_str())) win::failLast(op, path);
}

void createDirectory(std::string_view path) {
  constexpr std::string_view op = "Ne peut créer le dossier";
  win::noteChange();
  if (!CreateDirectoryW(win::systemPathOrThrow(path, op).c_str(), nullptr)) {
    win::failLast(op, path);
  }
}

void removeDirectory(std::string_view path) {
  constexpr std::string_view op = "Ne peut supprimer le dossier";
  win::noteChange();
  if (!RemoveDirectoryW(win::systemPathOrThrow(path, op).c_str())) win::failLast(op, path);
}

void moveFileReplace(std::string_view from, std::string_view to) {
  constexpr std::string_view op = "Ne peut remplacer le fichier";
  const std::wstring source = win::systemPathOrThrow(from, "Ne peut déplacer le fichier");
  const std::wstring target = win::systemPathOrThrow(to, op);
  // Checked here rather than left to the system, so that the refusal holds under Wine run as
  // root too: a read-only file or a folder is never replaced.
  const DWORD a = GetFileAttributesW(target.c_str());
  if (a != INVALID_FILE_ATTRIBUTES &&
      (a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    win::fail(ERROR_ACCESS_DENIED, op, to);
  }
  win::noteChange();
  if (!MoveFileExW(source.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    win::failLast(op, to);
  }
}

std::string windowsDirectory() {
  if (win::sandboxed()) return std::string(win::kSandboxWindows);
  wchar_t buffer[MAX_PATH + 1];
  const UINT n = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
  if (n == 0 || n > MAX_PATH) win::failLast("Ne peut trouver le dossier de Windows", "");
  return win::toUtf8(std::wstring_view(buffer, n));
}

std::string executablePath() {
  if (win::sandboxed()) return std::string(win::kSandboxProgram) + "\\Tidora2000.exe";
  return moduleFileName();
}

std::string executableFolder() {
  std::string path = executablePath();
  const std::size_t cut = path.find_last_of("\\/");
  path.resize(cut == std::string::npos ? 0 : cut);
  return path;
}

}  // namespace os
