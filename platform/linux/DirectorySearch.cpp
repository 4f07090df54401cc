// Directory searches over a host folder, filtered by name mask and attribute mask. Entries come
// in the host's order; nothing is stat'ed or read from extended attributes unless the attribute
// mask or the caller needs it.
//
// A folder is often searched twice in a row (its files, then its sub-folders). The listing read
// by a search that ran to its end is kept, and the next search of the same folder uses it
// instead of reading the folder again, when nothing can have changed in between: the folder's
// inode, change and modification times are the same, it had not been modified in the clock
// tick in which it was read, and this process changed nothing on drive C since.
#include "platform/DirectorySearch.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/Attributes.h"
#include "platform/linux/Host.h"
#include "platform/common/MaskMatch.h"

namespace os {
namespace {

std::atomic<int> openSearches{0};
std::atomic<std::uint64_t> changes{0};
constexpr std::size_t kBufferSize = 32 * 1024;
constexpr std::size_t kMaxKeptListing = 4 * 1024 * 1024;

bool isSeparator(char c) noexcept {
  return c == '\\' || c == '/';
}

bool sameTime(const timespec& a, const timespec& b) noexcept {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool before(const timespec& a, const timespec& b) noexcept {
  return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// File systems whose times have nanosecond resolution, stamped from the kernel's clock.
bool hasFineTimes(int fd, dev_t device) {
  static thread_local dev_t knownDevice = 0;
  static thread_local bool knownFine = false;
  if (device == knownDevice && knownDevice != 0) return knownFine;
  struct statfs fs {};
  bool fine = false;
  if (fstatfs(fd, &fs) == 0) {
    switch (static_cast<unsigned long>(fs.f_type)) {
      case 0xEF53:      // ext2/3/4
      case 0x58465342:  // xfs
      case 0x9123683E:  // btrfs
      case 0x01021994:  // tmpfs
      case 0x794C7630:  // overlayfs
        fine = true;
        break;
      default:
        break;
    }
  }
  knownDevice = device;
  knownFine = fine;
  return fine;
}

// A folder's entries: for each, its d_type byte, its name and a NUL.
struct Listing {
  bool valid = false;
  std::string folder;
  dev_t device = 0;
  ino_t inode = 0;
  timespec modified{};
  timespec changed{};
  std::uint64_t generation = 0;
  std::string entries;
};

Listing& keptListing() {
  static thread_local Listing listing;
  return listing;
}

}  // namespace

namespace host {
void noteChange() noexcept {
  changes.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace host

struct DirectorySearch::Impl {
  explicit Impl(std::string_view maskText) : mask(maskText) {}
  // Also when a failure leaves the constructor before the search is handed over.
  ~Impl() { close(); }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  bool open = false;
  int fd = -1;  // the host folder while it is being read
  // Entries read with getdents64, and the position of the next one.
  std::unique_ptr<char[]> buffer;
  std::size_t filled = 0;
  std::size_t offset = 0;
  // A listing being recorded (fd >= 0) or replayed (fd < 0).
  Listing listing;
  bool recording = false;
  std::size_t replayed = 0;

  host::Mask mask;
  std::uint32_t exclude = 0;  // hidden, system, directory bits that reject an entry
  bool atDriveRoot = false;

  std::string folder;  // host folder with a final "/", then the current name (for xattrs)
  std::size_t folderLength = 0;
  std::string name;
  unsigned char type = DT_UNKNOWN;

  // Facts about the current entry, computed on first use.
  bool haveStat = false;
  bool statFailed = false;
  struct stat st {};
  int directory = -1;  // -1 unknown
  int mount = -1;      // the root of a mount, -1 unknown
  int stored = -1;     // hidden/system from the extended attribute, -1 unknown
  int attrs = -1;

  void reset() noexcept {
    haveStat = false;
    statFailed = false;
    directory = -1;
    mount = -1;
    stored = -1;
    attrs = -1;
  }

  const char* fullPath() {
    folder.resize(folderLength);
    folder += name;
    return folder.c_str();
  }

  int statEntry(struct stat* out, int flags) {
    if (fd >= 0) return fstatat(fd, name.c_str(), out, flags);
    return fstatat(AT_FDCWD, fullPath(), out, flags);
  }

  const struct stat* lstatEntry() {
    if (!haveStat) {
      haveStat = true;
      statFailed = statEntry(&st, AT_SYMLINK_NOFOLLOW) != 0;
    }
    return statFailed ? nullptr : &st;
  }

  bool isLink() {
    if (type == DT_LNK) return true;
    if (type != DT_UNKNOWN) return false;
    const struct stat* s = lstatEntry();
    return s != nullptr && S_ISLNK(s->st_mode);
  }

  // A mount point is a reparse point, as a link is: never entered nor changed.
  bool isMount() {
    if (mount < 0) {
      mount = (type != DT_LNK &&
               (fd >= 0 ? host::isMountPoint(fd, name.c_str())
                        : host::isMountPoint(AT_FDCWD, fullPath())))
                  ? 1
                  : 0;
    }
    return mount == 1;
  }

  bool isReparsePoint() { return isLink() || isMount(); }

  bool isDirectory() {
    if (directory < 0) {
      bool dirType = type == DT_DIR;
      if (type == DT_UNKNOWN) {
        const struct stat* s = lstatEntry();
        dirType = s != nullptr && S_ISDIR(s->st_mode);
      }
      if (!dirType && isLink()) {
        struct stat target {};
        dirType = statEntry(&target, 0) == 0 && S_ISDIR(target.st_mode);
      }
      directory = dirType ? 1 : 0;
    }
    return directory == 1;
  }

  std::uint32_t storedAttributes() {
    if (stored < 0) stored = static_cast<int>(host::storedAttributes(fullPath()));
    return static_cast<std::uint32_t>(stored);
  }

  bool excluded() {
    if (exclude == 0) return false;
    if ((exclude & attr::Directory) != 0 && isDirectory()) return true;
    if ((exclude & attr::Hidden) != 0 && host::isDotHidden(name)) return true;
    const std::uint32_t fromXattr = exclude & (attr::Hidden | attr::System);
    return fromXattr != 0 && (storedAttributes() & fromXattr) != 0;
  }

  std::uint32_t attributes() {
    if (attrs < 0) {
      std::uint32_t a = 0;
      if (const struct stat* s = lstatEntry()) {
        if (S_ISLNK(s->st_mode) || isMount()) {
          a |= attr::ReparsePoint;
          a |= isDirectory() ? attr::Directory : attr::Archive;
        } else {
          a |= S_ISDIR(s->st_mode) ? attr::Directory : attr::Archive;
        }
        if (host::isReadOnly(*s)) a |= attr::ReadOnly;
      } else {
        // Gone since it was listed: what the listing said.
        a |= isDirectory() ? attr::Directory : attr::Archive;
      }
      a |= storedAttributes();
      if (host::isDotHidden(name)) a |= attr::Hidden;
      attrs = static_cast<int>(a);
    }
    return static_cast<std::uint32_t>(attrs);
  }

  void close() noexcept {
    if (fd >= 0) {
      ::close(fd);
      fd = -1;
      buffer.reset();
    }
    if (open) {
      open = false;
      listing.entries.clear();
      openSearches.fetch_sub(1, std::memory_order_relaxed);
    }
  }

  // The next entry of the folder (its name and d_type); false at its end or on a read error.
  bool readEntry(const char*& entryName, unsigned char& entryType) {
    if (fd < 0) {  // replaying a kept listing
      const std::string& e = listing.entries;
      if (replayed >= e.size()) return false;
      entryType = static_cast<unsigned char>(e[replayed]);
      entryName = e.data() + replayed + 1;
      replayed = e.find('\0', replayed + 1) + 1;
      return true;
    }
    if (offset >= filled) {
      ssize_t n;
      do {
        n = getdents64(fd, buffer.get(), kBufferSize);
      } while (n < 0 && errno == EINTR);
      if (n <= 0) {
        if (n == 0) keep();
        recording = false;
        return false;
      }
      filled = static_cast<std::size_t>(n);
      offset = 0;
    }
    const auto* e = reinterpret_cast<const dirent64*>(buffer.get() + offset);
    offset += e->d_reclen;
    entryName = e->d_name;
    entryType = e->d_type;
    if (recording) {
      if (listing.entries.size() > kMaxKeptListing) {
        recording = false;
        listing.entries.clear();
      } else {
        listing.entries += static_cast<char>(entryType);
        listing.entries.append(entryName).append(1, '\0');
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

  bool next() {
    if (!open) return false;
    const char* n = nullptr;
    unsigned char t = DT_UNKNOWN;
    while (readEntry(n, t)) {
      // The root of a drive has no "." or "..".
      if (atDriveRoot && n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))) continue;
      // A Windows name never holds "\": as a path component it would name another file.
      if (std::strchr(n, '\\') != nullptr) continue;
      if (!mask.matches(n)) continue;
      name.assign(n);
      type = t;
      reset();
      if (excluded()) continue;
      return true;
    }
    close();
    return false;
  }

  // Starts from the kept listing of `folder` when it is still true.
  bool replay() {
    Listing& kept = keptListing();
    if (!kept.valid || kept.folder != folder) return false;
    kept.valid = false;  // used once
    struct stat now {};
    if (kept.generation != changes.load(std::memory_order_relaxed) ||
        lstat(folder.c_str(), &now) != 0 || now.st_dev != kept.device || now.st_ino != kept.inode ||
        !sameTime(now.st_mtim, kept.modified) || !sameTime(now.st_ctim, kept.changed)) {
      return false;
    }
    listing = std::move(kept);
    kept = Listing();
    replayed = 0;
    return true;
  }

  // Starts reading the folder, recording its listing when it can be trusted later.
  bool read() {
    constexpr int flags = O_RDONLY | O_DIRECTORY;
    const std::uint64_t generation = changes.load(std::memory_order_relaxed);
    timespec clock{};
    clock_gettime(CLOCK_REALTIME_COARSE, &clock);
    fd = host::openInDrive(folder, flags);
    if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) {
      bool parentMissing = false;
      if (!host::matchOnDisk(folder, host::driveRoot().size(), parentMissing)) return false;
      fd = host::openInDrive(folder, flags);
    }
    if (fd < 0) return false;
    buffer.reset(new char[kBufferSize]);
    struct stat st0 {};
    // Modified in the current tick: a change later in this tick would not show in its times.
    if (fstat(fd, &st0) == 0 && hasFineTimes(fd, st0.st_dev) && before(st0.st_mtim, clock) &&
        before(st0.st_ctim, clock)) {
      recording = true;
      listing.folder = folder;
      listing.device = st0.st_dev;
      listing.inode = st0.st_ino;
      listing.modified = st0.st_mtim;
      listing.changed = st0.st_ctim;
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

  auto impl = std::make_unique<Impl>(maskPart);
  impl->exclude = (attr::Hidden | attr::System | attr::Directory) & ~attributeMask;
  if (!host::lexicalPath(pattern.substr(0, cut), impl->folder)) return;
  impl->atDriveRoot = impl->folder.size() == host::driveRoot().size();
  if (!impl->replay() && !impl->read()) return;
  impl->open = true;
  openSearches.fetch_add(1, std::memory_order_relaxed);
  impl->folder += '/';
  impl->folderLength = impl->folder.size();
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
  return impl_ && impl_->isDirectory();
}

bool DirectorySearch::isReparsePoint() {
  return impl_ && impl_->isReparsePoint();
}

std::uint32_t DirectorySearch::attributes() {
  return impl_ ? impl_->attributes() : 0;
}

std::uint64_t DirectorySearch::size() {
  if (!impl_) return 0;
  const struct stat* s = impl_->lstatEntry();
  return (s != nullptr && S_ISREG(s->st_mode)) ? static_cast<std::uint64_t>(s->st_size) : 0;
}

int DirectorySearch::openCount() noexcept {
  return openSearches.load(std::memory_order_relaxed);
}

}  // namespace os
