// Files created for writing. Opened without truncation first (OPEN_ALWAYS), then cut: unlike
// CREATE_ALWAYS, this does not refuse an existing hidden or system file.
#include "platform/File.h"

#include "platform/SystemError.h"
#include "platform/windows/Win.h"

namespace os {
namespace {

HANDLE handleOf(std::intptr_t h) {
  return reinterpret_cast<HANDLE>(h);
}

}  // namespace

namespace {
constexpr std::string_view kWrite = "Erreur d'écriture dans le fichier";
}  // namespace

File File::create(const Drive& drive, std::string_view path) {
  constexpr std::string_view op = "Ne peut créer le fichier";
  const std::wstring w = win::systemPathOrThrow(drive.state(), path, op);
  // Checked here rather than left to the system, so that the refusal holds under Wine run as
  // root too (it then opens a read-only file for writing).
  const DWORD a = GetFileAttributesW(w.c_str());
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY) != 0 &&
      (a & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    win::fail(ERROR_ACCESS_DENIED, op, path);
  }
  const HANDLE h = CreateFileW(w.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) win::failLast(op, path);
  if (GetFileType(h) != FILE_TYPE_DISK) {  // a pipe or a device: never written nor waited on
    CloseHandle(h);
    win::fail(ERROR_ACCESS_DENIED, op, path);
  }
  if (!SetEndOfFile(h)) {
    const DWORD err = GetLastError();
    CloseHandle(h);
    win::fail(err, op, path);
  }
  return File(reinterpret_cast<std::intptr_t>(h), std::string(path));
}

std::string readFile(const Drive& drive, std::string_view path) {
  constexpr std::string_view op = "Ne peut lire le fichier";
  const std::wstring w = win::systemPathOrThrow(drive.state(), path, op);
  // A regular file only, the link itself when it is one: a pipe or a device in its place must
  // not block the program, and a link is not followed to another file.
  const HANDLE h = CreateFileW(w.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) win::failLast(op, path);
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    CloseHandle(h);
    win::fail(ERROR_ACCESS_DENIED, op, path);
  }
  std::string text;
  char buffer[65536];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(h, buffer, sizeof buffer, &n, nullptr)) {
      const DWORD err = GetLastError();
      CloseHandle(h);
      win::fail(err, op, path);
    }
    if (n == 0) break;
    text.append(buffer, n);
  }
  CloseHandle(h);
  return text;
}

File::~File() {
  if (handle_ != -1) CloseHandle(handleOf(handle_));
}

File::File(File&& other) noexcept : handle_(other.handle_), path_(std::move(other.path_)) {
  other.handle_ = -1;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (handle_ != -1) CloseHandle(handleOf(handle_));
    handle_ = other.handle_;
    path_ = std::move(other.path_);
    other.handle_ = -1;
  }
  return *this;
}

void File::write(std::string_view bytes) {
  if (handle_ == -1) win::fail(ERROR_INVALID_HANDLE, kWrite, path_);
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(handleOf(handle_), bytes.data(), chunk, &written, nullptr)) {
      win::failLast(kWrite, path_);
    }
    if (written == 0) win::fail(ERROR_DISK_FULL, kWrite, path_);
    bytes.remove_prefix(written);
  }
}

void File::flush() {
  if (handle_ == -1) win::fail(ERROR_INVALID_HANDLE, kWrite, path_);
  if (!FlushFileBuffers(handleOf(handle_))) win::failLast(kWrite, path_);
}

void File::close() {
  if (handle_ == -1) return;
  const HANDLE h = handleOf(handle_);
  handle_ = -1;
  if (!CloseHandle(h)) win::failLast("Erreur à la fermeture du fichier", path_);
}

}  // namespace os
