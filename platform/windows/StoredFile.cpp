// Stored files saved whole: under a named mutex, a new file of its own, then MoveFileExW over
// the old one.
#include "platform/StoredFile.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <random>
#include <string>

#include "platform/common/TemporaryName.h"
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

// A lock held against every other saver of the same file, in any process, while it lives, and
// leaving nothing on the disk: a named mutex of the session, named after the file's full path
// as the system spells it, without regard to case.
class SaveLock {
 public:
  SaveLock(const std::wstring& target, const std::string& path) {
    std::wstring full(target);
    const DWORD n = GetFullPathNameW(target.c_str(), 0, nullptr, nullptr);
    if (n > 0) {
      full.assign(n, L'\0');
      full.resize(GetFullPathNameW(target.c_str(), n, full.data(), nullptr));
    }
    CharUpperBuffW(full.data(), static_cast<DWORD>(full.size()));
    // FNV-1a of the path: a mutex name holds no "\" and is at most MAX_PATH long.
    std::uint64_t hash = 1469598103934665603ull;
    for (const wchar_t c : full) {
      hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
    }
    wchar_t name[64];
    swprintf(name, 64, L"Local\\Tidora2000-%016llx", static_cast<unsigned long long>(hash));
    mutex_ = CreateMutexW(nullptr, FALSE, name);
    if (mutex_ == nullptr) win::failLast(kCreate, path);
    const DWORD waited = WaitForSingleObject(
        mutex_, static_cast<DWORD>(std::chrono::milliseconds(kAttente).count()));
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) return;  // abandoned: its holder ended
    CloseHandle(mutex_);
    if (waited != WAIT_TIMEOUT) win::failLast(kCreate, path);
    throw SystemError(error::LockViolation,
                      "Le fichier " + path + " reste verrouillé par un autre programme depuis "
                      "plus de " + std::to_string(kAttente.count()) + " secondes");
  }
  ~SaveLock() {
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
  }
  SaveLock(const SaveLock&) = delete;
  SaveLock& operator=(const SaveLock&) = delete;

 private:
  HANDLE mutex_ = nullptr;
};

// Removes the new files that saves of the file `target` cut short left beside it (a killed
// program removes nothing): under the file's lock no save of it is under way, so every plain file
// of such a name is a leftover. Nothing else is looked at; a failure leaves it there.
void removeLeftovers(const std::wstring& target) {
  const std::size_t cut = target.find_last_of(L"\\/");
  const std::wstring folder = target.substr(0, cut + 1);
  const std::string name = win::toUtf8(std::wstring_view(target).substr(cut + 1));
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileExW((target + L".*.tmp").c_str(), FindExInfoBasic, &found,
                                         FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    // The search also matches short names: the long one decides.
    if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
        host::isTemporaryName(win::toUtf8(found.cFileName), name, true)) {
      DeleteFileW((folder + found.cFileName).c_str());
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

}  // namespace

bool saveFile(const Drive& drive, std::string_view pathView, std::string_view bytes,
              bool onlyIfMissing) {
  const std::string path(pathView);
  const std::wstring target = win::systemPathOrThrow(drive.state(), path, kCreate);
  const SaveLock lock(target, path);
  removeLeftovers(target);
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
    temp = host::temporaryName(path, static_cast<std::uint32_t>(random()));
    tempW = win::systemPathOrThrow(drive.state(), temp, kCreate);
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
