// Directory searches through FindFirstFileExW / FindNextFileW. The system also matches a mask
// against the generated 8.3 name ("*.tmp" finds "a.tmpx" through "A~1.TMP"); an entry is kept
// only when its own name matches the mask.
#include "platform/DirectorySearch.h"

#include <atomic>

#include "platform/Attributes.h"
#include "platform/common/MaskMatch.h"
#include "platform/windows/Win.h"

namespace os {
namespace {

std::atomic<int> openSearches{0};

bool isSeparator(char c) noexcept {
  return c == '\\' || c == '/';
}

}  // namespace

struct DirectorySearch::Impl {
  explicit Impl(std::string_view maskText) : mask(maskText) {}
  ~Impl() { close(); }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  HANDLE handle = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW data{};
  host::Mask mask;
  std::uint32_t exclude = 0;
  bool atDriveRoot = false;  // the sandbox's drive C, a folder with "." and ".."
  bool fresh = true;         // `data` holds an entry not yet looked at
  std::string name;

  bool isOpen() const noexcept { return handle != INVALID_HANDLE_VALUE; }

  void close() noexcept {
    if (handle != INVALID_HANDLE_VALUE) {
      FindClose(handle);
      handle = INVALID_HANDLE_VALUE;
      openSearches.fetch_sub(1, std::memory_order_relaxed);
    }
  }

  bool accept() {
    const std::wstring_view wide(data.cFileName);
    if (atDriveRoot && (wide == L"." || wide == L"..")) return false;
    if ((data.dwFileAttributes & exclude) != 0) return false;
    name = win::toUtf8(wide);
    return mask.matches(name);
  }

  bool next() {
    while (isOpen()) {
      if (!fresh && !FindNextFileW(handle, &data)) {
        close();
        return false;
      }
      fresh = false;
      if (accept()) return true;
    }
    return false;
  }
};

DirectorySearch::DirectorySearch(std::string_view pattern, std::uint32_t attributeMask) {
  std::size_t cut = pattern.size();
  while (cut > 0 && !isSeparator(pattern[cut - 1])) --cut;
  const std::string_view maskPart = pattern.substr(cut);
  if (cut == 0 || maskPart.empty()) return;
  std::wstring path;
  if (!win::systemPath(pattern, path)) return;

  auto impl = std::make_unique<Impl>(maskPart);
  impl->exclude = (attr::Hidden | attr::System | attr::VolumeLabel | attr::Directory) &
                  ~attributeMask;
  impl->atDriveRoot = win::isSandboxDriveRoot(pattern.substr(0, cut));
  impl->handle = FindFirstFileExW(path.c_str(), FindExInfoBasic, &impl->data,
                                  FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (impl->handle == INVALID_HANDLE_VALUE) return;
  openSearches.fetch_add(1, std::memory_order_relaxed);
  if (impl->next()) impl_ = std::move(impl);
}

DirectorySearch::~DirectorySearch() {
  close();
}

DirectorySearch::DirectorySearch(DirectorySearch&&) noexcept = default;

DirectorySearch& DirectorySearch::operator=(DirectorySearch&& other) noexcept {
  if (this != &other) {
    close();
    impl_ = std::move(other.impl_);
  }
  return *this;
}

bool DirectorySearch::isOpen() const noexcept {
  return impl_ && impl_->isOpen();
}

bool DirectorySearch::next() {
  return impl_ && impl_->next();
}

void DirectorySearch::close() noexcept {
  if (impl_) impl_->close();
}

const std::string& DirectorySearch::name() const noexcept {
  static const std::string none;
  return impl_ ? impl_->name : none;
}

bool DirectorySearch::isDirectory() {
  return impl_ && (impl_->data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool DirectorySearch::isReparsePoint() {
  return impl_ && (impl_->data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::uint32_t DirectorySearch::attributes() {
  return impl_ ? impl_->data.dwFileAttributes : 0;
}

std::uint64_t DirectorySearch::size() {
  if (!impl_) return 0;
  const WIN32_FIND_DATAW& d = impl_->data;
  if ((d.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    return 0;
  }
  return (static_cast<std::uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

int DirectorySearch::openCount() noexcept {
  return openSearches.load(std::memory_order_relaxed);
}

}  // namespace os
