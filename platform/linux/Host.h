#pragma once
// Shared pieces of the Linux emulation: where drive C lives, how Windows paths become host
// paths, how errno becomes a Windows error code, and how attributes are stored.
#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/common/CaseFold.h"

namespace os::host {

// The host folder of drive C ("<prefix>/drive_c") after making sure the profile exists.
const std::string& driveRoot();

// Result of mapping a Windows path onto the host.
struct Resolved {
  bool valid = false;          // false: not a path on drive C (other drive, relative, UNC...)
  bool exists = false;         // lstat succeeded; `st` holds its result
  bool parentMissing = false;  // when !exists: a folder on the way is missing (PathNotFound)
  int error = 0;               // when !exists: the errno of the failed lookup
  std::string path;            // host path (existing components matched case-insensitively)
  struct stat st {};
};

// Builds the host path of `windowsPath` lexically ("." and ".." resolved, clamped at the drive
// root), without touching the disk. False when the path is not on drive C.
bool lexicalPath(std::string_view windowsPath, std::string& out);
// Rewrites the components of the lexical host path `path` after the first `rootLength`
// characters to the spelling found on disk, matching case-insensitively (an exact match wins).
// Stops at the first missing component: the rest keeps its spelling. True when every component
// exists; otherwise `parentMissing` tells whether a folder on the way is missing.
bool matchOnDisk(std::string& path, std::size_t rootLength, bool& parentMissing);
// Lexical mapping, one lstat on the exact spelling, and a case-insensitive walk on a miss.
Resolved resolve(std::string_view windowsPath);

// An open descriptor of drive C (O_PATH), for opening files confined to it.
int driveRootFd();
// Opens the host path `hostPath` (below drive C) with drive C as the root, following no link and
// crossing no mount point on the way, the last component included. -1 with errno on failure
// (ELOOP: through a link; EXDEV: not below drive C, or across a mount point).
int openInDrive(const std::string& hostPath, int flags, mode_t mode = 0);
// Opens a file to read or write only when it is a regular file (O_NONBLOCK, then its type is
// checked: a pipe or a device never blocks the program). `confined`: through openInDrive. -1 with
// errno on failure (ENXIO: not a regular file).
int openRegular(const std::string& hostPath, int flags, bool confined, mode_t mode = 0);
// True when `name` in the folder `dirFd` is the root of a mount (another file system, a bind
// mount): like a link, never entered, changed nor removed.
bool isMountPoint(int dirFd, const char* name) noexcept;
// lstat of `name` in the folder `dirFd` (mode, links, inode, device, size, owner) that also tells
// whether it is a mount point; -1 with errno on failure.
int lstatAt(int dirFd, const char* name, struct stat& st, bool* mountPoint) noexcept;

// Opens the entry `name` of the folder `dirFd` (one component: neither "." nor ".." nor a
// name holding "/"), following no link and crossing no mount point. -1 with errno on failure
// (ELOOP: a link; EXDEV: a mount point).
int openChildAt(int dirFd, const char* name, int flags) noexcept;
// "/proc/self/fd/<dirFd>/<name>", for calls without an *at() form; empty without /proc.
std::string procPath(int dirFd, std::string_view name);

// The folder holding a file, opened confined to drive C, and the file's name in it: the *at()
// calls on (fd, name) never act outside drive C.
struct Parent {
  int fd = -1;
  std::string name;
  Parent() = default;
  Parent(const Parent&) = delete;
  Parent& operator=(const Parent&) = delete;
  ~Parent();
};
// Opens the parent of `hostPath`; false with errno on failure (drive C itself has no parent).
bool openParent(const std::string& hostPath, Parent& out);

// Creates what is missing of a fresh profile in `prefix`; true when it created anything. While
// the profile's first start is not marked done (finishFreshProfile), every call completes it.
bool createFreshProfile(const std::string& prefix);
// The file whose presence in the prefix means the first start's work is not done yet.
std::string pendingMarker(const std::string& prefix);
// True while that file is there; anything but a regular file there is refused (SystemError).
bool firstStartPending(const std::string& prefix);
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
