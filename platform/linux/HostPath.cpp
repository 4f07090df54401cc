// Windows paths on drive C mapped onto a drive's drive_c folder, case-insensitively.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/DriveState.h"
#include "platform/linux/FolderFile.h"
#include "platform/linux/Host.h"
#include "platform/linux/Listing.h"

namespace os::host {
namespace {

bool isSeparator(char c) noexcept {
  return c == '\\' || c == '/';
}

// The name in the folder `dirFd` equal to `name` without regard to case; false with `err` set
// when there is none or the folder cannot be read.
bool findIgnoreCase(int dirFd, std::string_view name, std::string& found, int& err) {
  const Descriptor listing(::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (listing.fd < 0) {
    err = errno;
    return false;
  }
  bool match = false;
  forEachName(listing.fd, [&](std::string_view entry, unsigned char) {
    if (!equalsIgnoreCase(entry, name)) return true;
    found.assign(entry);
    match = true;
    return false;
  });
  err = match ? 0 : ENOENT;
  return match;
}

// Each name of `path` looked up in the folder before it, opened through no link: an exact
// spelling first, then one that differs in case. `path` gets the spellings found; false when a
// name is missing, with `parentMissing` telling whether it was a folder on the way.
bool matchOnDisk(const Drive::State& drive, std::string& path, bool& parentMissing, int& err,
                 struct stat& st) {
  parentMissing = false;
  std::string walked;
  int dir = ::dup(drive.rootFd);
  if (dir < 0) {
    err = errno;
    return false;
  }
  std::size_t start = 0;
  bool found = true;
  while (start < path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string name = path.substr(start, end - start);
    err = 0;
    if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      err = errno;
      std::string other;
      if (err == ENOENT && findIgnoreCase(dir, name, other, err) &&
          ::fstatat(dir, other.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        name = std::move(other);
        err = 0;
      } else if (err == 0) {
        err = errno;
      }
    }
    const bool last = end == path.size();
    if (err == 0 && !last) {
      // Into the folder through no link, nor across a mount point.
      const int next = openChildAt(dir, name.c_str(), O_PATH | O_DIRECTORY);
      if (next < 0) err = errno;
      ::close(dir);
      dir = next;
    }
    if (!walked.empty()) walked += '/';
    if (err != 0) {
      // The spelling of the missing rest is kept.
      parentMissing = !last || err == ENOTDIR;
      walked.append(path, start, std::string::npos);
      found = false;
      break;
    }
    walked += name;
    start = end + 1;
  }
  if (dir >= 0) ::close(dir);
  path = std::move(walked);
  return found;
}

}  // namespace

bool lexicalPath(std::string_view windowsPath, std::string& out) {
  // Only "C:" followed by nothing or a separator; "C:name" is relative to a current folder.
  if (windowsPath.size() < 2 || windowsPath[1] != ':' || lower(windowsPath[0]) != 'c') {
    return false;
  }
  std::string_view rest = windowsPath.substr(2);
  if (!rest.empty() && !isSeparator(rest[0])) return false;
  if (rest.find('\0') != std::string_view::npos) return false;

  out.clear();
  std::size_t i = 0;
  while (i < rest.size()) {
    while (i < rest.size() && isSeparator(rest[i])) ++i;
    std::size_t j = i;
    while (j < rest.size() && !isSeparator(rest[j])) ++j;
    const std::string_view part = rest.substr(i, j - i);
    i = j;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      // Never above the drive root.
      const std::size_t cut = out.rfind('/');
      out.resize(cut == std::string::npos ? 0 : cut);
      continue;
    }
    if (!out.empty()) out += '/';
    out += part;
  }
  return true;
}

Resolved resolve(const Drive::State& drive, std::string_view windowsPath) {
  Resolved r;
  if (!lexicalPath(windowsPath, r.path)) return r;
  r.valid = true;
  const char* relative = r.path.empty() ? "." : r.path.c_str();
  if (::fstatat(drive.rootFd, relative, &r.st, AT_SYMLINK_NOFOLLOW) == 0) {
    r.exists = true;
    return r;
  }
  r.error = errno;
  if (r.error != ENOENT && r.error != ENOTDIR) return r;
  r.exists = matchOnDisk(drive, r.path, r.parentMissing, r.error, r.st);
  return r;
}

}  // namespace os::host
