// Stored files saved whole: a lock file opened for this process alone, a new file of its own,
// then MoveFileExW over the old one.
#include "platform/StoredFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "platform/windows/Win.h"

namespace os {
namespace {

constexpr std::string_view kCreate = "Ne peut créer le fichier";
constexpr std::chrono::seconds kAttente{30};

// A handle closed when the object dies.
struct Handle {
  HANDLE h = INVALID_HANDLE_VALUE;
  explicit Handle(HANDLE handle) noexcept : h(handle) {}
  ~Handle() { close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool close() noexcept {
    const bool closed = h == INVALID_HANDLE_VALUE || CloseHandle(h);
    h = INVALID_HANDLE_VALUE;
    return closed;
  }
};

// The lock "<path>.lock": opened with no sharing at all, so that another program waits for it;
// anything but a plain file there is refused.
HANDLE lockFile(const std::string& path) {
  const std::string lock = path + ".lock";
  const std::wstring w = win::systemPathOrThrow(lock, kCreate);
  const auto fin = std::chrono::steady_clock::now() + kAttente;
  DWORD pause = 1;
  for (;;) {
    const HANDLE h = CreateFileW(w.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      BY_HANDLE_FILE_INFORMATION info{};
      if (GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info) &&
          (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0) {
        return h;
      }
      CloseHandle(h);
      win::fail(ERROR_ACCESS_DENIED, kCreate, lock);
    }
    const DWORD err = GetLastError();
    if (err != ERROR_SHARING_VIOLATION) win::fail(err, kCreate, lock);
    if (std::chrono::steady_clock::now() >= fin) {
      throw SystemError(error::LockViolation,
                        "Le fichier " + path + " reste verrouillé par un autre programme depuis "
                        "plus de " + std::to_string(kAttente.count()) + " secondes (" + lock + ")");
    }
    Sleep(pause);
    pause = std::min<DWORD>(pause * 2, 5);
  }
}

}  // namespace

bool saveFile(std::string_view pathView, std::string_view bytes, bool onlyIfMissing) {
  const std::string path(pathView);
  const std::wstring target = win::systemPathOrThrow(path, kCreate);
  const Handle lock(lockFile(path));
  // Checked here rather than left to the system, so that the refusal holds under Wine run as
  // root too: a read-only file, a folder or a link is never replaced.
  const DWORD a = GetFileAttributesW(target.c_str());
  if (a != INVALID_FILE_ATTRIBUTES) {
    if (onlyIfMissing) return false;
    if ((a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
        0) {
      win::fail(ERROR_ACCESS_DENIED, kCreate, path);
    }
  }

  std::random_device random;
  std::string temp;
  std::wstring tempW;
  HANDLE h = INVALID_HANDLE_VALUE;
  for (int attempt = 0; h == INVALID_HANDLE_VALUE; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random()));
    temp = path + suffix;
    tempW = win::systemPathOrThrow(temp, kCreate);
    h = CreateFileW(tempW.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                    nullptr);
    const DWORD err = GetLastError();
    if (h == INVALID_HANDLE_VALUE &&
        ((err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) || attempt >= 100)) {
      win::fail(err, kCreate, temp);
    }
  }
  Handle file(h);
  auto abandon = [&](DWORD err, bool writing) {
    file.close();
    DeleteFileW(tempW.c_str());
    if (!writing) win::fail(err, kCreate, path);
    const DWORD code = err == ERROR_HANDLE_DISK_FULL ? ERROR_DISK_FULL : err;
    throw WriteError(code, "Erreur d'écriture dans le fichier " + path + " : " + errorText(code));
  };
  for (std::string_view rest = bytes; !rest.empty();) {
    const DWORD chunk = rest.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(rest.size());
    DWORD written = 0;
    if (!WriteFile(file.h, rest.data(), chunk, &written, nullptr)) abandon(GetLastError(), true);
    if (written == 0) abandon(ERROR_DISK_FULL, true);
    rest.remove_prefix(written);
  }
  if (!FlushFileBuffers(file.h)) abandon(GetLastError(), true);
  if (!file.close()) abandon(GetLastError(), true);
  const DWORD flags = (onlyIfMissing ? 0 : MOVEFILE_REPLACE_EXISTING) | MOVEFILE_WRITE_THROUGH;
  if (!MoveFileExW(tempW.c_str(), target.c_str(), flags)) {
    const DWORD err = GetLastError();
    if (onlyIfMissing && (err == ERROR_ALREADY_EXISTS || err == ERROR_FILE_EXISTS)) {
      DeleteFileW(tempW.c_str());
      return false;
    }
    abandon(err, false);
  }
  return true;
}

}  // namespace os
