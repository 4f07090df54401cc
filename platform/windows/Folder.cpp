// An open folder on Windows: a handle opened with backup semantics on the folder itself, never
// on a reparse point's target. Its entries are opened relative to that handle (NtOpenFile with
// RootDirectory, FILE_OPEN_REPARSE_POINT), and a file goes by setting its disposition through
// its own handle: a folder moved away since its listing is still the one acted on, and no path
// is resolved again. The listing is read by handle (FileFullDirectoryInfo): names, attributes
// and sizes in one go.
#include "platform/Folder.h"

#include <windows.h>
#include <winternl.h>

#include <memory>

#include "platform/windows/Win.h"

namespace os {
namespace {

constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr ULONG kOpenItself =
    FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT;
constexpr std::size_t kBufferSize = 64 * 1024;

HANDLE handleOf(std::intptr_t handle) noexcept {
  return reinterpret_cast<HANDLE>(handle);
}

std::intptr_t valueOf(HANDLE handle) noexcept {
  return reinterpret_cast<std::intptr_t>(handle);
}

// Closes a handle on every way out.
struct Owned {
  HANDLE h = INVALID_HANDLE_VALUE;
  Owned() = default;
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  ~Owned() {
    if (h != INVALID_HANDLE_VALUE && h != nullptr) CloseHandle(h);
  }
  HANDLE release() noexcept {
    const HANDLE r = h;
    h = INVALID_HANDLE_VALUE;
    return r;
  }
};

// Opens `name` relative to the open folder `folder`; the Windows error code (0 on success).
DWORD openRelative(HANDLE folder, std::string_view name, ACCESS_MASK access, ULONG options,
                   Owned& out) {
  std::wstring w;
  if (!win::toWide(name, w) || w.size() > 32767) return ERROR_INVALID_NAME;
  UNICODE_STRING u;
  u.Buffer = w.data();
  u.Length = u.MaximumLength = static_cast<USHORT>(w.size() * sizeof(wchar_t));
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &u, OBJ_CASE_INSENSITIVE, folder, nullptr);
  IO_STATUS_BLOCK io{};
  HANDLE h = nullptr;
  const NTSTATUS status = NtOpenFile(&h, access, &attributes, &io, kShareAll, options);
  if (status < 0) return RtlNtStatusToDosError(status);
  out.h = h;
  return 0;
}

// The attribute word of an open handle; INVALID_FILE_ATTRIBUTES when it cannot be read.
DWORD attributesOf(HANDLE h) noexcept {
  FILE_ATTRIBUTE_TAG_INFO info{};
  if (!GetFileInformationByHandleEx(h, FileAttributeTagInfo, &info, sizeof info)) {
    return INVALID_FILE_ATTRIBUTES;
  }
  return info.FileAttributes;
}

bool isPlainFolder(DWORD a) noexcept {
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (a & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

// Volume serial number and file index of an open handle.
std::optional<FileId> idOf(HANDLE h) noexcept {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(h, &info)) return std::nullopt;
  return FileId{info.dwVolumeSerialNumber,
                (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// Opens the entry `name` of `folder` itself, never a link's target, to delete it (`access` and
// `options` added to what that takes); throws SystemError naming `path`.
void openToDelete(HANDLE folder, std::string_view name, ACCESS_MASK access, ULONG options,
                  std::string_view op, const std::string& path, Owned& out) {
  const DWORD opened =
      openRelative(folder, name, DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE | access,
                   options | kOpenItself, out);
  if (opened != 0) win::fail(opened, op, path);
}

// Marks an open file or folder to go when its last handle closes; false with the error set.
bool markForDeletion(HANDLE h) noexcept {
  FILE_DISPOSITION_INFO disposition{TRUE};
  return SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition);
}

// True when the open folder holds anything besides "." and "..".
bool holdsEntries(HANDLE folder) {
  alignas(8) char buffer[4096];
  if (!GetFileInformationByHandleEx(folder, FileFullDirectoryInfo, buffer, sizeof buffer)) {
    return false;
  }
  for (const char* p = buffer;;) {
    const auto* e = reinterpret_cast<const FILE_FULL_DIR_INFO*>(p);
    const std::wstring_view n(e->FileName, e->FileNameLength / sizeof(wchar_t));
    if (n != L"." && n != L"..") return true;
    if (e->NextEntryOffset == 0) return false;
    p += e->NextEntryOffset;
  }
}

// The final path of an open handle ("C:\Users\x", "\\server\share\x"), without "\\?\";
// empty when the system cannot tell it.
std::wstring finalPath(HANDLE h) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetFinalPathNameByHandleW(h, path.data(), static_cast<DWORD>(path.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(n + 1);
  }
  if (path.starts_with(L"\\\\?\\UNC\\")) return L"\\\\" + path.substr(8);
  if (path.starts_with(L"\\\\?\\")) return path.substr(4);
  return path;
}

}  // namespace

std::optional<std::string> Drive::folderPath(std::string_view path) const {
  const std::optional<Folder> folder = openFolder(path);
  if (!folder) return std::nullopt;
  std::wstring own = finalPath(handleOf(folder->handle_));
  if (own.empty()) return std::nullopt;
  if (state_->sandboxed()) {
    // A sandbox's drive C is a folder: what lies in it is "C:\..." there, and nothing else is.
    Owned root;
    root.h = CreateFileW(state_->drive.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (root.h == INVALID_HANDLE_VALUE) return std::nullopt;
    const std::wstring base = finalPath(root.h);
    const int n = static_cast<int>(base.size());
    if (base.empty() || own.size() < base.size() ||
        CompareStringOrdinal(own.data(), n, base.data(), n, TRUE) != CSTR_EQUAL ||
        (own.size() > base.size() && own[base.size()] != L'\\')) {
      return std::nullopt;
    }
    own = L"C:" + own.substr(base.size());
    if (own.size() == 2) own += L'\\';
  }
  return win::toUtf8(own);
}

const Folder::Entry* Folder::listed(std::string_view entryName) const noexcept {
  const std::size_t n = entries_.size();
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t i = (lastFound_ + k) % n;
    if (name(i) == entryName) {
      lastFound_ = i + 1;
      return &entries_[i];
    }
  }
  return nullptr;
}

std::optional<Folder> Drive::openFolder(std::string_view path) const {
  std::string spelled(path);
  if (spelled.size() == 2 && spelled[1] == ':') spelled += '\\';  // "C:" is drive C's root here
  std::wstring w;
  if (!win::systemPath(*state_, spelled, w)) return std::nullopt;
  // Under Wine a handle shows a link's target: the path's own attributes tell the link.
  const DWORD seen = GetFileAttributesW(w.c_str());
  if (!isPlainFolder(seen)) return std::nullopt;
  Owned h;
  h.h = CreateFileW(w.c_str(), kFolderAccess, kShareAll, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h.h == INVALID_HANDLE_VALUE || !isPlainFolder(attributesOf(h.h))) return std::nullopt;
  return Folder(valueOf(h.release()), std::string(path));
}

void Folder::closeHandle(std::intptr_t handle) noexcept {
  CloseHandle(handleOf(handle));
}

FileId Folder::id() const {
  const std::optional<FileId> id = idOf(handleOf(handle_));
  if (!id) win::failLast("Ne peut lire le dossier", path_);
  return *id;
}

std::optional<Folder> Folder::openChild(std::string_view entryName) const {
  const Entry* e = listed(entryName);
  if (e != nullptr && (e->kind & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return std::nullopt;
  Owned h;
  if (!isEntryName(entryName) ||
      openRelative(handleOf(handle_), entryName, kFolderAccess, FILE_DIRECTORY_FILE | kOpenItself,
                   h) != 0 ||
      !isPlainFolder(attributesOf(h.h))) {
    return std::nullopt;
  }
  return Folder(valueOf(h.release()), entryPath(entryName));
}

void Folder::read() {
  static thread_local std::unique_ptr<char[]> buffer(new char[kBufferSize]);
  std::string utf8;
  while (GetFileInformationByHandleEx(handleOf(handle_), FileFullDirectoryInfo, buffer.get(),
                                      kBufferSize)) {
    for (const char* p = buffer.get();;) {
      const auto* e = reinterpret_cast<const FILE_FULL_DIR_INFO*>(p);
      win::assignUtf8(std::wstring_view(e->FileName, e->FileNameLength / sizeof(wchar_t)), utf8);
      add(utf8, e->FileAttributes, static_cast<std::uint64_t>(e->EndOfFile.QuadPart));
      if (e->NextEntryOffset == 0) break;
      p += e->NextEntryOffset;
    }
  }
}

bool Folder::isFolder(std::size_t i) const {
  return (entries_[i].kind & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Folder::isReparsePoint(std::size_t i) const {
  return (entries_[i].kind & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::uint32_t Folder::attributes(std::size_t i) const {
  return entries_[i].kind;
}

std::uint64_t Folder::fileSize(std::size_t i) const {
  const Entry& e = entries_[i];
  if ((e.kind & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) return 0;
  return e.size;
}

std::optional<FileId> Folder::entryId(std::string_view entryName) const {
  Owned h;
  if (!isEntryName(entryName) ||
      openRelative(handleOf(handle_), entryName, FILE_READ_ATTRIBUTES | SYNCHRONIZE, kOpenItself,
                   h) != 0) {
    return std::nullopt;
  }
  return idOf(h.h);
}

void Folder::deleteFile(std::string_view entryName) const {
  constexpr std::string_view op = "Ne peut supprimer le fichier";
  const std::string path = entryPath(checkedName(entryName, op));
  Owned h;
  openToDelete(handleOf(handle_), entryName, FILE_WRITE_ATTRIBUTES, FILE_NON_DIRECTORY_FILE, op,
               path, h);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(h.h, &info)) win::failLast(op, path);
  const DWORD a = info.dwFileAttributes;
  if ((a & FILE_ATTRIBUTE_DIRECTORY) != 0) win::fail(ERROR_ACCESS_DENIED, op, path);
  // The attributes of a file with several names belong to all of them: only this name goes,
  // and a read-only one then stays.
  if ((a & win::kSettableAttributes) != 0 && (a & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
      info.nNumberOfLinks <= 1) {
    FILE_BASIC_INFO basic{};  // times left at 0: unchanged
    basic.FileAttributes =
        (a & win::kKeptAttributes) != 0 ? (a & win::kKeptAttributes) : FILE_ATTRIBUTE_NORMAL;
    if (!SetFileInformationByHandle(h.h, FileBasicInfo, &basic, sizeof basic)) {
      win::failLast(op, path);
    }
  }
  if (!markForDeletion(h.h)) win::failLast(op, path);
}

void Folder::removeFolder(std::string_view entryName) const {
  constexpr std::string_view op = "Ne peut supprimer le dossier";
  const std::string path = entryPath(checkedName(entryName, op));
  const Entry* e = listed(entryName);
  if (e != nullptr && (e->kind & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    win::fail(ERROR_DIRECTORY, op, path);
  }
  Owned h;
  openToDelete(handleOf(handle_), entryName, FILE_LIST_DIRECTORY, FILE_DIRECTORY_FILE, op, path, h);
  if (!isPlainFolder(attributesOf(h.h))) win::fail(ERROR_DIRECTORY, op, path);
  if (!markForDeletion(h.h)) {
    const DWORD err = GetLastError();
    // Wine refuses a folder that is not empty as access denied.
    win::fail(err == ERROR_ACCESS_DENIED && holdsEntries(h.h) ? ERROR_DIR_NOT_EMPTY : err, op,
              path);
  }
}

// Opening the entry itself as deleting it opens it (the same rights asked, the same sharing met)
// changes nothing; deleteFile then only keeps the read-only attribute of a file of several names,
// which makes it stay.
bool Folder::mayRemove(std::string_view entryName) const {
  Owned seen;
  if (!isEntryName(entryName) ||
      openRelative(handleOf(handle_), entryName, FILE_READ_ATTRIBUTES | SYNCHRONIZE, kOpenItself,
                   seen) != 0) {
    return false;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(seen.h, &info)) return false;
  const DWORD a = info.dwFileAttributes;
  const bool folder = (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (!folder && (a & FILE_ATTRIBUTE_READONLY) != 0 && info.nNumberOfLinks > 1) return false;
  Owned asDeleted;
  return openRelative(handleOf(handle_), entryName,
                      DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE |
                          (folder ? FILE_LIST_DIRECTORY : FILE_WRITE_ATTRIBUTES),
                      (folder ? FILE_DIRECTORY_FILE : FILE_NON_DIRECTORY_FILE) | kOpenItself,
                      asDeleted) == 0;
}

}  // namespace os
