// File and folder services of a drive through the wide calls.
#include "platform/FileSystem.h"

#include "platform/SystemError.h"
#include "platform/windows/Win.h"

namespace os {

std::optional<std::uint32_t> fileAttributes(const Drive& drive, std::string_view path) {
  std::wstring w;
  if (!win::systemPath(drive.state(), path, w)) return std::nullopt;
  const DWORD a = GetFileAttributesW(w.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return a;
}

void createDirectory(const Drive& drive, std::string_view path) {
  constexpr std::string_view op = "Ne peut créer le dossier";
  if (!CreateDirectoryW(win::systemPathOrThrow(drive.state(), path, op).c_str(), nullptr)) {
    win::failLast(op, path);
  }
}

}  // namespace os
