#pragma once
// A file opened for writing, as CreateFile(CREATE_ALWAYS) / WriteFile, and whole-file reading.
// Only regular files are opened: a pipe or a device in a file's place is refused, never waited on.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace os {

class Drive;

// Movable, not copyable; closed when the object dies.
class File {
 public:
  // Creates (or truncates) the file at `path` of `drive` for writing; throws SystemError
  // (AccessDenied for a folder or a read-only file, PathNotFound when its folder is missing).
  static File create(const Drive& drive, std::string_view path);
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Writes all of `bytes`; a short write (full disk, size limit) throws SystemError.
  void write(std::string_view bytes);
  // Flushes the data to the disk; throws SystemError.
  void flush();
  // Closes now; throws SystemError when closing fails.
  void close();
  // The file's Windows path.
  const std::string& path() const noexcept { return path_; }

 private:
  File(std::intptr_t handle, std::string path) noexcept : handle_(handle), path_(std::move(path)) {}
  std::intptr_t handle_ = -1;
  std::string path_;  // as the caller spelled it, for messages
};

// The whole content of the regular file at `path` of `drive`; throws SystemError.
std::string readFile(const Drive& drive, std::string_view path);

}  // namespace os
