// Files told apart by their full path, every character folded: the file system ignores case, so
// spellings that differ only by case name one file.
#include "platform/FileSystem.h"
#include "platform/common/CaseFold.h"
#include "platform/windows/Win.h"

namespace os {

std::string fileKey(std::string_view path) {
  std::wstring w;
  if (!win::systemPath(path, w)) return host::foldedCopy(path);
  const DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
  if (n != 0) {
    std::wstring full(n, L'\0');
    const DWORD m = GetFullPathNameW(w.c_str(), n, full.data(), nullptr);
    if (m != 0 && m < n) {
      full.resize(m);
      w = std::move(full);
    }
  }
  return host::foldedCopy(win::toUtf8(w));
}

}  // namespace os
