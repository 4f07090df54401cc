#pragma once
// Shared pieces of the Linux emulation: how Windows paths of a drive become host paths, how
// errno becomes a Windows error code, and how attributes are stored.
#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Drive.h"
#include "platform/common/CaseFold.h"

namespace os::host {

// Result of mapping a Windows path onto a drive's drive_c folder.
struct Resolved {
  bool valid = false;          // false: not a path on drive C (other drive, relative, UNC...)
  bool exists = false;         // found; `st` holds its lstat
  bool parentMissing = false;  // when !exists: a folder on the way is missing (PathNotFound)
  int error = 0;               // when !exists: the errno of the failed lookup
  std::string path;            // below drive_c, "/" between names, "" for drive C itself;
                               // existing names as spelled on disk (a missing tail as given)
  struct stat st {};
};

// The names of `windowsPath` below drive C ("." and ".." resolved, never above the drive),
// joined by "/" into `out`, without touching the disk. False when the path is not on drive C.
bool lexicalPath(std::string_view windowsPath, std::string& out);
// Maps `windowsPath` onto the drive: its exact spelling first, then each name matched without
// regard to case (an exact match wins) in the folder before it, opened through no link.
Resolved resolve(const Drive::State& drive, std::string_view windowsPath);

// Opens `relative` (a Resolved path) with drive C as the root, following no link and crossing
// no mount point on the way, the last name included. -1 with errno on failure (ELOOP: through
// a link; EXDEV: across a mount point).
int openInDrive(const Drive::State& drive, const std::string& relative, int flags,
                mode_t mode = 0);
// Opens a file of the drive to read or write only when it is a regular file (O_NONBLOCK, then
// its type is checked: a pipe or a device never blocks the program). -1 with errno on failure
// (ENXIO: not a regular file).
int openRegular(const Drive::State& drive, const std::string& relative, int flags,
                mode_t mode = 0);
// True when `name` in the folder `dirFd` is the root of a mount (another file system, a bind
// mount): like a link, never entered, changed nor removed.
bool isMountPoint(int dirFd, const char* name) noexcept;
// lstat of `name` in the folder `dirFd` (mode, links, inode, device, size, owner) that also tells
// whether it is a mount point; -1 with errno on failure.
int lstatAt(int dirFd, const char* name, struct stat& st, bool* mountPoint) noexcept;
// The mount a descriptor is on; 0 when the kernel cannot tell.
std::uint64_t mountOf(int fd) noexcept;

// Opens the entry `name` of the folder `dirFd` (one component: neither "." nor ".." nor a
// name holding "/"), following no link and crossing no mount point. -1 with errno on failure
// (ELOOP: a link; EXDEV: a mount point).
int openChildAt(int dirFd, const char* name, int flags) noexcept;
// "/proc/self/fd/<dirFd>/<name>", for calls without an *at() form; empty without /proc.
std::string procPath(int dirFd, std::string_view name);

// The folder holding a file of the drive, opened confined to drive C, and the file's name in
// it: the *at() calls on (fd, name) never act outside drive C.
struct Parent {
  int fd = -1;
  std::string name;
  Parent() = default;
  Parent(const Parent&) = delete;
  Parent& operator=(const Parent&) = delete;
  ~Parent();
};
// Opens the parent of `relative` (a Resolved path); false with errno on failure (drive C itself
// has no parent).
bool openParent(const Drive::State& drive, const std::string& relative, Parent& out);

// Creates what is missing of a fresh profile in the prefix folder `prefix`, open as `prefixFd`;
// true when it created anything. While the profile's first start is not marked done
// (finishFirstStart), every call completes it.
bool createFreshProfile(int prefixFd, const std::string& prefix);
// True while the first start's work is not done in the prefix folder open as `prefixFd`;
// anything but a regular file in the marker's place is refused (SystemError).
bool firstStartPending(int prefixFd, const std::string& prefix);
// Marks it done.
void finishFirstStart(int prefixFd, const std::string& prefix);
// True when createFreshProfile made the profile of that prefix: its mark is there, a regular
// file.
bool madeByProgram(int prefixFd) noexcept;
// The user's login, made safe as one path component ("user" when there is none).
std::string loginName();

// ASCII lower case, without locale (names compare with equalsIgnoreCase, see CaseFold.h).
inline unsigned char lower(unsigned char c) noexcept {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// The Windows error code for an errno value, and its French words.
std::uint32_t errorCode(int err) noexcept;
std::string errnoText(int err);
// Throws SystemError(code, "<operation> <windowsPath>: <detail>").
[[noreturn]] void fail(std::uint32_t code, std::string_view operation, std::string_view windowsPath,
                       std::string_view detail);
// Throws SystemError for errno `err`, with strerror as the detail.
[[noreturn]] void failErrno(int err, std::string_view operation, std::string_view windowsPath);
// Throws the "not found" error a missing path deserves (file or path not found).
[[noreturn]] void failMissing(const Resolved& r, std::string_view operation,
                              std::string_view windowsPath);

// Hidden and system bits kept in the "user.DOSATTRIB" extended attribute of `path` (the link
// itself for a link); 0 when absent or unsupported.
std::uint32_t storedAttributes(const char* path) noexcept;
// A name that Linux conventions hide (begins with "." but is not "." or "..").
inline bool isDotHidden(std::string_view name) noexcept {
  return !name.empty() && name[0] == '.' && name != "." && name != "..";
}
// The Windows attribute word of `name` in the folder `dirFd`, whose lstat is `st` (`mount`: it
// is the root of a mount).
std::uint32_t attributesAt(int dirFd, std::string_view name, const struct stat& st, bool mount);
// Sets read-only, hidden and system of `name` in the folder `dirFd`, whose lstat is `st`; throws
// SystemError("<op> <path> : ...").
void setAttributesAt(int dirFd, std::string_view name, const struct stat& st,
                     std::uint32_t attributes, std::string_view op, std::string_view path);
// Read-only as Windows sees it: the owner's write bit is clear (links never are).
inline bool isReadOnly(const struct stat& st) noexcept {
  return !S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0;
}

}  // namespace os::host
