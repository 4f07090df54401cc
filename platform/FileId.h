#pragma once
// What tells two files or folders apart whatever path reaches them.
#include <compare>
#include <cstdint>

namespace os {

// The volume and the file's number on it (Linux: device and inode; Windows: volume serial
// number and file ID).
struct FileId {
  std::uint64_t volume = 0;
  std::uint64_t number = 0;
  friend auto operator<=>(const FileId&, const FileId&) = default;
};

}  // namespace os
