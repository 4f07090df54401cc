// File and folder services through the wide calls.
#include "platform/FileSystem.h"

#include "platform/Attributes.h"
#include "platform/SystemError.h"
#include "platform/windows/Win.h"

namespace os {
namespace {

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
  DWORD wanted = (now & win::kKeptAttributes) | (attributes & win::kSettableAttributes);
  if (wanted == (now & (win::kKeptAttributes | win::kSettableAttributes))) return;
  if (wanted == 0) wanted = FILE_ATTRIBUTE_NORMAL;
  if (!SetFileAttributesW(w.c_str(), wanted)) win::failLast(op, path);
}

void deleteFile(std::string_view path) {
  constexpr std::string_view op = "Ne peut supprimer le fichier";
  if (!DeleteFileW(win::systemPathOrThrow(path, op).c_str())) win::failLast(op, path);
}

void createDirectory(std::string_view path) {
  constexpr std::string_view op = "Ne peut créer le dossier";
  if (!CreateDirectoryW(win::systemPathOrThrow(path, op).c_str(), nullptr)) {
    win::failLast(op, path);
  }
}

void removeDirectory(std::string_view path) {
  constexpr std::string_view op = "Ne peut supprimer le dossier";
  if (!RemoveDirectoryW(win::systemPathOrThrow(path, op).c_str())) win::failLast(op, path);
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
