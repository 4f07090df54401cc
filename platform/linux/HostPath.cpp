// Windows paths on drive C mapped onto the host folder drive_c, case-insensitively.
#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/Host.h"

namespace os::host {
namespace {

bool isSeparator(char c) noexcept {
  return c == '\\' || c == '/';
}

struct DirCloser {
  DIR* dir;
  ~DirCloser() {
    if (dir != nullptr) closedir(dir);
  }
};

// The name in folder `folder` equal to `name` without regard to case; empty when none.
bool findIgnoreCase(const std::string& folder, std::string_view name, std::string& found,
                    int& err) {
  DirCloser d{opendir(folder.c_str())};
  if (d.dir == nullptr) {
    err = errno;
    return false;
  }
  while (const dirent* e = readdir(d.dir)) {
    if (equalsIgnoreCase(e->d_name, name)) {
      found = e->d_name;
      return true;
    }
  }
  err = ENOENT;
  return false;
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

  out = driveRoot();
  const std::size_t rootLength = out.size();
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
      if (out.size() > rootLength) out.resize(out.rfind('/'));
      continue;
    }
    out += '/';
    out += part;
  }
  return true;
}

bool matchOnDisk(std::string& path, std::size_t rootLength, bool& parentMissing) {
  parentMissing = false;
  std::string walked = path.substr(0, rootLength);
  std::string found;
  std::size_t i = rootLength;
  struct stat st {};
  while (i < path.size()) {
    const std::size_t start = i + 1;  // path[i] == '/'
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string_view part(path.data() + start, end - start);
    const std::size_t before = walked.size();
    walked += '/';
    walked += part;
    int err = 0;
    if (lstat(walked.c_str(), &st) != 0) {
      err = errno;
      walked.resize(before);
      if (err == ENOENT && findIgnoreCase(walked, part, found, err)) {
        walked += '/';
        walked += found;
        err = 0;
      }
    }
    if (err != 0) {
      // Keep the spelling of the missing rest.
      parentMissing = end < path.size() || err == ENOTDIR;
      walked.resize(before);
      walked.append(path, i, std::string::npos);
      path = std::move(walked);
      return false;
    }
    i = end;
  }
  path = std::move(walked);
  return true;
}

Resolved resolve(std::string_view windowsPath) {
  Resolved r;
  if (!lexicalPath(windowsPath, r.path)) return r;
  r.valid = true;
  if (lstat(r.path.c_str(), &r.st) == 0) {
    r.exists = true;
    return r;
  }
  r.error = errno;
  if (r.error != ENOENT && r.error != ENOTDIR) return r;
  if (!matchOnDisk(r.path, driveRoot().size(), r.parentMissing)) {
    r.error = r.parentMissing ? ENOTDIR : ENOENT;
  } else if (lstat(r.path.c_str(), &r.st) == 0) {
    r.exists = true;
    r.error = 0;
  }
  return r;
}

}  // namespace os::host
