#pragma once
// A file opened for reading, read in chunks; each system supplies it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/Drive.h"

namespace os::detail {

// Movable neither way; closed when the object dies.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens the file at the Windows path `path` of `drive`; false when it cannot be opened.
  bool open(const Drive& drive, std::string_view path);
  // Reads up to `size` bytes: their count, 0 at the end, -1 on a read error.
  std::int64_t read(char* buffer, std::size_t size);

 private:
  std::intptr_t handle_ = -1;
};

}  // namespace os::detail
