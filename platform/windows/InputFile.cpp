// Reading a file through CreateFileW / ReadFile.
#include "platform/common/InputFile.h"

#include "platform/windows/Win.h"

namespace os::detail {

InputFile::~InputFile() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

bool InputFile::open(const Drive& drive, std::string_view path) {
  std::wstring w;
  if (!win::systemPath(drive.state(), path, w)) return false;
  const HANDLE h = CreateFileW(w.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  handle_ = reinterpret_cast<std::intptr_t>(h);
  return true;
}

std::int64_t InputFile::read(char* buffer, std::size_t size) {
  DWORD n = 0;
  const DWORD want = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
  if (!ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, want, &n, nullptr)) return -1;
  return n;
}

}  // namespace os::detail
