#pragma once
// A file opened for writing, as CreateFile(CREATE_ALWAYS) / WriteFile.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace os {

// Movable, not copyable; closed when the object dies.
class File {
 public:
  // Creates (or truncates) the file for writing; throws SystemError (AccessDenied for a folder
  // or a read-only file, PathNotFound when its folder is missing).
  static File create(std::string_view path);
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

 private:
  File(std::intptr_t handle, std::string path) noexcept : handle_(handle), path_(std::move(path)) {}
  std::intptr_t handle_ = -1;
  std::string path_;  // as the caller spelled it, for messages
};

}  // namespace os
