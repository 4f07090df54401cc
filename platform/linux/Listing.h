#pragma once
// Reading a folder's names: the one directory reader of the Linux side, for open folders, the
// case-insensitive lookup of a Windows path, the launchers' folders, the size of a drive and
// the processes in /proc.
#include <dirent.h>

#include <cstddef>
#include <string_view>

namespace os::host {

// Reads the next chunk of entries of `fd` into `buffer`: the number of bytes of dirent64
// records, 0 at the end, -1 with errno on failure.
long readEntries(int fd, char* buffer, std::size_t size) noexcept;

// Calls `each(name, type)` for every entry of the folder open as `fd` (O_RDONLY), in the order
// the system gives them, "." and ".." left out; `type` is the entry's d_type (DT_UNKNOWN when
// the file system does not tell). `each` returns false to end the reading; it may read other
// folders. False when the folder cannot be read at all; one that fails half-way gives what was
// read.
template <typename Each>
bool forEachName(int fd, Each&& each) {
  alignas(dirent64) char buffer[32 * 1024];
  bool first = true;
  for (;;) {
    const long n = readEntries(fd, buffer, sizeof buffer);
    if (n <= 0) return n == 0 || !first;
    first = false;
    for (long offset = 0; offset < n;) {
      const auto* e = reinterpret_cast<const dirent64*>(buffer + offset);
      offset += e->d_reclen;
      const char* name = e->d_name;
      if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
      if (!each(std::string_view(name), static_cast<unsigned char>(e->d_type))) return true;
    }
  }
}

}  // namespace os::host
