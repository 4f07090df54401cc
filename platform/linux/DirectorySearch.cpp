// Directory searches over a host folder, filtered by name mask and attribute mask. Entries come
// in readdir order; nothing is stat'ed or read from extended attributes unless the attribute
// mask or the caller needs it.
#include "platform/DirectorySearch.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/Attributes.h"
#include "platform/linux/Host.h"
#include "platform/linux/MaskMatch.h"

namespace os {
namespace {

std::atomic<int> openSearches{0};

bool isSeparator(char c) noexcept {
  return c == '\\' || c == '/';
}

}  // namespace

struct DirectorySearch::Impl {
  explicit Impl(std::string_view maskText) : mask(maskText) {}

  DIR* dir = nullptr;
  int fd = -1;
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
  int stored = -1;     // hidden/system from the extended attribute, -1 unknown
  int attrs = -1;

  void reset() noexcept {
    haveStat = false;
    statFailed = false;
    directory = -1;
    stored = -1;
    attrs = -1;
  }

  const char* fullPath() {
    folder.resize(folderLength);
    folder += name;
    return folder.c_str();
  }

  const struct stat* lstatEntry() {
    if (!haveStat) {
      haveStat = true;
      statFailed = fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0;
    }
    return statFailed ? nullptr : &st;
  }

  bool isLink() {
    if (type == DT_LNK) return true;
    if (type != DT_UNKNOWN) return false;
    const struct stat* s = lstatEntry();
    return s != nullptr && S_ISLNK(s->st_mode);
  }

  bool isDirectory() {
    if (directory < 0) {
      bool dirType = type == DT_DIR;
      if (type == DT_UNKNOWN) {
        const struct stat* s = lstatEntry();
        dirType = s != nullptr && S_ISDIR(s->st_mode);
      }
      if (!dirType && isLink()) {
        struct stat target {};
        dirType = fstatat(fd, name.c_str(), &target, 0) == 0 && S_ISDIR(target.st_mode);
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
        if (S_ISLNK(s->st_mode)) {
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
    if (dir != nullptr) {
      closedir(dir);
      dir = nullptr;
      fd = -1;
      openSearches.fetch_sub(1, std::memory_order_relaxed);
    }
  }

  bool next() {
    if (dir == nullptr) return false;
    while (const dirent* e = readdir(dir)) {
      const char* n = e->d_name;
      // The root of a drive has no "." or "..".
      if (atDriveRoot && n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))) continue;
      if (!mask.matches(n)) continue;
      name.assign(n);
      type = e->d_type;
      reset();
      if (excluded()) continue;
      return true;
    }
    close();
    return false;
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
  const std::size_t rootLength = host::driveRoot().size();
  impl->atDriveRoot = impl->folder.size() == rootLength;

  constexpr int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
  int fd = open(impl->folder.c_str(), flags);
  if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) {
    bool parentMissing = false;
    if (!host::matchOnDisk(impl->folder, rootLength, parentMissing)) return;
    fd = open(impl->folder.c_str(), flags);
  }
  if (fd < 0) return;
  impl->dir = fdopendir(fd);
  if (impl->dir == nullptr) {
    ::close(fd);
    return;
  }
  impl->fd = fd;
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
  return impl_ && impl_->dir != nullptr;
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
  return impl_ && impl_->isLink();
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
