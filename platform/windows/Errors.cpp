// Failures of system calls, in French: what failed, where, and why.
#include <string>

#include "platform/SystemError.h"
#include "platform/windows/Win.h"

namespace os::win {

void fail(DWORD code, std::string_view operation, std::string_view path) {
  std::string what;
  what.append(operation).append(" ").append(path).append(" : ");
  switch (code) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      what += "fichier en cours d'utilisation";
      break;
    case ERROR_BAD_PATHNAME:
      what += "chemin incorrect";
      break;
    default:
      what += errorText(code);
  }
  throw SystemError(code, what);
}

void failLast(std::string_view operation, std::string_view path) {
  fail(GetLastError(), operation, path);
}

}  // namespace os::win
