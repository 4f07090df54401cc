#pragma once
// A directory search ("folder\mask" plus an attribute mask), as FindFirstFile / FindNextFile.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace os {

// Movable, not copyable; the search is closed when the object dies.
class DirectorySearch {
 public:
  // Starts a search for `pattern` ("C:\windows\*.tmp"). Entries carrying hidden, system,
  // volume-label or directory attributes that `attributeMask` lacks are skipped (read-only and
  // archive never exclude). Entries come in the host's order; "." and ".." are entries like any
  // other, except in the root of the drive, which has none. A search that cannot start (missing
  // or unreadable folder, not a folder, no match) is not an error: isOpen() is then false; so is
  // a folder reached through a link or a mount point. A name holding "\" (which no Windows name
  // holds: it would name another file) is never returned.
  DirectorySearch(std::string_view pattern, std::uint32_t attributeMask);
  ~DirectorySearch();
  DirectorySearch(DirectorySearch&&) noexcept;
  DirectorySearch& operator=(DirectorySearch&&) noexcept;
  DirectorySearch(const DirectorySearch&) = delete;
  DirectorySearch& operator=(const DirectorySearch&) = delete;

  // True while there is a current entry.
  bool isOpen() const noexcept;
  // Moves to the next matching entry; false (and closed) when the search is exhausted.
  bool next();
  // Closes the search now.
  void close() noexcept;

  // The current entry's name ("." and ".." are returned like any other entry).
  const std::string& name() const noexcept;
  // Directory attribute of the current entry (a link to a directory counts); cheap.
  bool isDirectory();
  // Reparse-point attribute of the current entry: a symbolic link, a junction, or a mount point
  // (another file system or a bind mount mounted there).
  bool isReparsePoint();
  // The full attribute word of the current entry, computed on first use.
  std::uint32_t attributes();
  // Size in bytes of the current entry (0 for a directory or a link), computed on first use.
  std::uint64_t size();

  // Number of searches open in this process right now (each holds at most one host handle).
  static int openCount() noexcept;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Matches a file name against a mask with "*" and "?", case-insensitively; a trailing ".*"
// also matches a name without extension, so "*.*" matches every name.
bool matchesMask(std::string_view name, std::string_view mask) noexcept;

}  // namespace os
