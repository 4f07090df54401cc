// Directory searches through FindFirstFileExW / FindNextFileW. Every folder is read whole
// ("folder\*") and each name is matched here: the system would also match a mask against the
// generated 8.3 name ("*.tmp" finds "a.tmpx" through "A~1.TMP"), and an entry counts only when
// its own name matches.
//
// A folder is often searched twice in a row (its files, then its sub-folders). The listing read
// by a search that ran to its end is kept, and the next search of the same folder uses it
// instead of reading the folder again, when nothing can have changed in between: the folder's
// last-write time is the same, it was written more than a second before it was read, and this
// process changed nothing since.
#include "platform/DirectorySearch.h"

#include <atomic>
#include <vector>

#include "platform/Attributes.h"
#include "platform/common/MaskMatch.h"
#include "platform/windows/Win.h"

namespace os {
namespace {

std::atomic<int> openSearches{0};
std::atomic<std::uint64_t> changes{0};
constexpr std::size_t kMaxKeptEntries = 200000;
constexpr std::uint64_t kSecond = 10'000'000;  // in FILETIME units

bool isSeparator(char c) noexcept {
  return c == '\\' || c == '/';
}

std::uint64_t ticks(const FILETIME& t) noexcept {
  return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

struct Facts {
  DWORD attributes = 0;
  std::uint64_t size = 0;
};

// A folder's entries: their names, each followed by a NUL, and their attributes and sizes.
struct Listing {
  bool valid = false;
  std::wstring folder;
  std::uint64_t written = 0;
  std::uint64_t generation = 0;
  std::string names;
  std::vector<Facts> facts;
};

Listing& keptListing() {
  static thread_local Listing listing;
  return listing;
}

// The folder's last-write time; 0 when it cannot be read.
std::uint64_t lastWrite(const std::wstring& folder) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(folder.c_str(), GetFileExInfoStandard, &data)) return 0;
  return ticks(data.ftLastWriteTime);
}

}  // namespace

namespace win {
void noteChange() noexcept {
  changes.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace win

struct DirectorySearch::Impl {
  explicit Impl(std::string_view maskText) : mask(maskText) {}
  ~Impl() { close(); }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  bool open = false;
  HANDLE handle = INVALID_HANDLE_VALUE;  // while the folder is being read
  WIN32_FIND_DATAW data{};
  bool fresh = true;  // `data` holds an entry not yet looked at
  // A listing being recorded (handle open) or replayed.
  Listing listing;
  bool recording = false;
  std::size_t replayed = 0;
  std::size_t offset = 0;  // of the next name to replay

  host::Mask mask;
  std::uint32_t exclude = 0;
  bool atDriveRoot = false;  // the sandbox's drive C, a folder with "." and ".."
  std::string name;  // the current entry
  Facts current;

  void close() noexcept {
    if (handle != INVALID_HANDLE_VALUE) {
      FindClose(handle);
      handle = INVALID_HANDLE_VALUE;
    }
    if (open) {
      open = false;
      listing.names.clear();
      listing.facts.clear();
      openSearches.fetch_sub(1, std::memory_order_relaxed);
    }
  }

  // The next entry of the folder, into `current`; false at its end.
  bool readEntry() {
    if (handle == INVALID_HANDLE_VALUE) {  // replaying a kept listing
      if (replayed >= listing.facts.size()) return false;
      const char* n = listing.names.data() + offset;
      name.assign(n);
      offset += name.size() + 1;
      current = listing.facts[replayed++];
      return true;
    }
    if (!fresh && !FindNextFileW(handle, &data)) {
      if (GetLastError() == ERROR_NO_MORE_FILES) keep();
      recording = false;
      return false;
    }
    fresh = false;
    win::assignUtf8(data.cFileName, name);
    current.attributes = data.dwFileAttributes;
    current.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (recording) {
      if (listing.facts.size() >= kMaxKeptEntries) {
        recording = false;
        listing.names.clear();
        listing.facts.clear();
      } else {
        listing.names.append(name).append(1, '\0');
        listing.facts.push_back(current);
      }
    }
    return true;
  }

  // The whole folder has been read: keep its listing for the next search, unless this process
  // changed something meanwhile.
  void keep() {
    if (!recording || listing.generation != changes.load(std::memory_order_relaxed)) return;
    Listing& kept = keptListing();
    kept = std::move(listing);
    kept.valid = true;
    listing = Listing();
  }

  bool accept() const {
    const std::string& n = name;
    if (atDriveRoot && (n == "." || n == "..")) return false;
    if ((current.attributes & exclude) != 0) return false;
    return mask.matches(n);
  }

  bool next() {
    if (!open) return false;
    while (readEntry()) {
      if (accept()) return true;
    }
    close();
    return false;
  }

  // Starts from the kept listing of `folder` when it is still true.
  bool replay(const std::wstring& folder) {
    Listing& kept = keptListing();
    if (!kept.valid || kept.folder != folder) return false;
    kept.valid = false;  // used once
    if (kept.generation != changes.load(std::memory_order_relaxed) ||
        lastWrite(folder) != kept.written) {
      return false;
    }
    listing = std::move(kept);
    kept = Listing();
    replayed = 0;
    offset = 0;
    return true;
  }

  // Starts reading the folder, recording its listing when it can be trusted later.
  bool read(const std::wstring& folder) {
    const std::uint64_t generation = changes.load(std::memory_order_relaxed);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const std::uint64_t written = lastWrite(folder);
    handle = FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &data,
                              FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (handle == INVALID_HANDLE_VALUE) return false;
    // Written in the last second: a change later in that second might not show in its time.
    if (written != 0 && written + kSecond < ticks(now)) {
      recording = true;
      listing.folder = folder;
      listing.written = written;
      listing.generation = generation;
    }
    return true;
  }
};

DirectorySearch::DirectorySearch(std::string_view pattern, std::uint32_t attributeMask) {
  std::size_t cut = pattern.size();
  while (cut > 0 && !isSeparator(pattern[cut - 1])) --cut;
  const std::string_view maskPart = pattern.substr(cut);
  if (cut == 0 || maskPart.empty()) return;
  std::wstring folder;  // with its final separator
  if (!win::systemPath(std::string(pattern.substr(0, cut)) + "*", folder)) return;
  folder.pop_back();

  auto impl = std::make_unique<Impl>(maskPart);
  impl->exclude = (attr::Hidden | attr::System | attr::VolumeLabel | attr::Directory) &
                  ~attributeMask;
  impl->atDriveRoot = win::isSandboxDriveRoot(pattern.substr(0, cut));
  if (!impl->replay(folder) && !impl->read(folder)) return;
  impl->open = true;
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
  return impl_ && impl_->open;
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
  return impl_ && (impl_->current.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool DirectorySearch::isReparsePoint() {
  return impl_ && (impl_->current.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::uint32_t DirectorySearch::attributes() {
  return impl_ ? impl_->current.attributes : 0;
}

std::uint64_t DirectorySearch::size() {
  if (!impl_) return 0;
  const Facts& e = impl_->current;
  if ((e.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) return 0;
  return e.size;
}

int DirectorySearch::openCount() noexcept {
  return openSearches.load(std::memory_order_relaxed);
}

}  // namespace os
