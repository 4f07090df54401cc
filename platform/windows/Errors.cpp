// Failures of system calls, with the system's own message.
#include <string>

#include "platform/SystemError.h"
#include "platform/windows/Win.h"

namespace os::win {

void fail(DWORD code, std::string_view operation, std::string_view path) {
  std::string what;
  what.append(operation).append(" ").append(path).append(": ");
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring_view message(text, text == nullptr ? 0 : n);
  while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' ||
                              message.back() == L' ' || message.back() == L'.')) {
    message.remove_suffix(1);
  }
  if (message.empty()) {
    what += "error " + std::to_string(code);
  } else {
    what += toUtf8(message);
  }
  if (text != nullptr) LocalFree(text);
  throw SystemError(code, what);
}

void failLast(std::string_view operation, std::string_view path) {
  fail(GetLastError(), operation, path);
}

}  // namespace os::win
