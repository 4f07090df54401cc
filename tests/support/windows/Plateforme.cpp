// The tests' own platform services on Windows, through the wide calls on the drive's paths.
#include "tests/support/Plateforme.h"

#include "platform/SystemError.h"
#include "platform/windows/Win.h"

namespace os::testing {

void setFileAttributes(const Drive& drive, std::string_view path, std::uint32_t attributes) {
  constexpr std::string_view op = "Ne peut changer les attributs de";
  const std::wstring w = win::systemPathOrThrow(drive.state(), path, op);
  const DWORD now = GetFileAttributesW(w.c_str());
  if (now == INVALID_FILE_ATTRIBUTES) win::failLast(op, path);
  DWORD wanted = (now & win::kKeptAttributes) | (attributes & win::kSettableAttributes);
  if (wanted == (now & (win::kKeptAttributes | win::kSettableAttributes))) return;
  if (wanted == 0) wanted = FILE_ATTRIBUTE_NORMAL;
  if (!SetFileAttributesW(w.c_str(), wanted)) win::failLast(op, path);
}

void deleteFile(const Drive& drive, std::string_view path) {
  constexpr std::string_view op = "Ne peut supprimer le fichier";
  if (!DeleteFileW(win::systemPathOrThrow(drive.state(), path, op).c_str())) {
    win::failLast(op, path);
  }
}

void removeDirectory(const Drive& drive, std::string_view path) {
  constexpr std::string_view op = "Ne peut supprimer le dossier";
  if (!RemoveDirectoryW(win::systemPathOrThrow(drive.state(), path, op).c_str())) {
    win::failLast(op, path);
  }
}

std::optional<std::filesystem::path> hostPath(const Drive& drive, std::string_view windowsPath) {
  std::wstring w;
  if (!win::toWide(windowsPath, w) || w.size() < 3 || w[1] != L':' ||
      (w[2] != L'\\' && w[2] != L'/')) {
    return std::nullopt;
  }
  if (!win::systemPath(drive.state(), windowsPath, w)) return std::nullopt;
  if (w.starts_with(L"\\\\?\\")) w.erase(0, 4);
  return std::filesystem::path(w);
}

int openHandles() {
  DWORD n = 0;
  return GetProcessHandleCount(GetCurrentProcess(), &n) ? static_cast<int>(n) : -1;
}

}  // namespace os::testing
