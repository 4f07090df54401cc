#pragma once
// A folder opened once and read once. What is done to one of its entries (reading its facts,
// opening it as a sub-folder, deleting it) happens relative to this open folder, never by
// resolving a path again: a folder moved away or replaced by a link after it was opened is
// still the one acted on, and nothing reached through a link or a mount point is ever opened.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileId.h"

namespace os {

// Movable, not copyable; the folder is closed when the object dies.
class Folder {
 public:
  // Linux: the host folder `path`, links followed (a launcher's folder may be reached through
  // one); nothing when it is missing, is not a folder or cannot be read. What lies below it is
  // opened with openChild, through no link. Drive C's folders are opened through their drive
  // (Drive.h).
  static std::optional<Folder> openHost(const std::string& path);
  ~Folder();
  Folder(Folder&& other) noexcept;
  Folder& operator=(Folder&& other) noexcept;
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  // The Windows path the folder was opened at, without a final "\" ("C:\" gives "C:"); a
  // sub-folder's is its parent's, "\" and its name (a host folder's: its host path, "/" and the
  // name). For reports and messages only.
  const std::string& path() const noexcept { return path_; }
  // The folder's own identity.
  FileId id() const;

  // The sub-folder `name`, opened relative to this folder; nothing when that entry is (now) a
  // link, a mount point or not a folder, cannot be read, or is gone. On Windows an entry the
  // listing, once read, marks as a reparse point is not opened either (under Wine a handle
  // shows a link's target, never the link).
  std::optional<Folder> openChild(std::string_view name) const;

  // The number of entries; the first call reads the whole listing, in the system's order, and
  // later calls see that same listing. "." and ".." are left out, and so is a name holding "\"
  // (no Windows name holds one: as a path it would name another file).
  std::size_t count();
  // The entries the listing read but count() leaves out (names holding "\"; "." and ".." aside):
  // the folder is empty only when this is 0 too. They follow the others: entry count() + k
  // (k < unlisted()) has a name, a kind, a size, attributes and an identity (entryId), but
  // nothing opens, deletes or removes it (mayRemove is false): no Windows path names it. Every
  // other name is acted on as it is, through this folder, whatever Windows would make of it (a
  // name ending in a dot or a blank, or holding ":", "*", "?", "\"", "<", ">" or "|").
  std::size_t unlisted() const noexcept { return unlisted_; }
  // The name of entry `i` (i < count() + unlisted()), valid while the folder lives.
  std::string_view name(std::size_t i) const noexcept;
  // Entry `i` carries the directory attribute: a folder, or a link or mount point to one.
  bool isFolder(std::size_t i) const;
  // Entry `i` is a reparse point: a link, or (Linux) the root of a mount.
  bool isReparsePoint(std::size_t i) const;
  // The attribute word of entry `i` (Attributes.h): on Linux read now (what the listing said
  // when it is gone), on Windows as the listing gave it.
  std::uint32_t attributes(std::size_t i) const;
  // The size in bytes of entry `i`; 0 for a folder or a link. On Linux read now (0 when it is
  // gone), on Windows as the listing gave it.
  std::uint64_t fileSize(std::size_t i) const;

  // The identity of the entry `name`, read now; nothing when it is gone.
  std::optional<FileId> entryId(std::string_view name) const;

  // Linux: what a file takes on disk, as `du` counts it.
  struct Usage {
    std::uint64_t bytes = 0;     // its allocated blocks, in bytes
    FileId id;
    std::uint32_t names = 1;     // its number of names (hard links)
    bool folder = false;         // a true folder (a link is never one)
    bool mountPoint = false;     // the root of another mount
  };
  // Linux: the folder's own usage.
  std::optional<Usage> usage() const;
  // Linux: the usage of entry `i`, read now without following it; nothing when it is gone.
  std::optional<Usage> usage(std::size_t i) const;
  // Linux: the folder holding this one (its ".."), when that is still the folder `expected`;
  // nothing otherwise (this one was moved since). A walk that may not keep every level open uses
  // it to climb back.
  std::optional<Folder> openParent(FileId expected) const;
  // What a cleaning run does to a file: clears its read-only, hidden and system attributes, then
  // deletes it. A file with several names (hard links) only loses this one, the attributes it
  // shares left alone; a link goes as a link. A folder or a mount point is refused (AccessDenied).
  // Throws SystemError naming path() + "\" + name.
  void deleteFile(std::string_view name) const;
  // Removes the empty sub-folder `name`; a link (DirectoryInvalid) or a mount point is refused,
  // and never is its target touched (on Windows, as openChild). Throws SystemError
  // (DirNotEmpty...) naming it.
  void removeFolder(std::string_view name) const;
  // Whether this user may take the entry `name` out of this folder now (deleteFile, or
  // removeFolder of an empty folder), asked of the system without changing anything: the entry
  // is there and is no mount point; on Linux the folder is writable and searchable (its mode,
  // ACLs, a read-only file system), neither it nor the entry is immutable or append-only, and a
  // sticky folder's entry belongs to the user; on Windows the entry opens for deletion (rights,
  // sharing), and is no read-only file of several names.
  bool mayRemove(std::string_view name) const;

 private:
  friend class Drive;

  // One entry of the listing: its name in names_, and what the listing said of it (Linux: the
  // d_type; Windows: the attribute word and the size).
  struct Entry {
    std::uint32_t nameStart = 0;
    std::uint32_t nameLength = 0;
    std::uint32_t kind = 0;
    std::uint64_t size = 0;
  };

  // Takes over `handle`; `path` loses one final "\".
  Folder(std::intptr_t handle, std::string path) noexcept;
  static void closeHandle(std::intptr_t handle) noexcept;
  void close() noexcept;
  // Reads the whole listing into entries_, through add().
  void read();
  void add(std::string_view entryName, std::uint32_t kind, std::uint64_t size);
  // A name that stays in this folder: one component, neither "." nor "..".
  static bool isEntryName(std::string_view entryName) noexcept;
  // The entry's name for the system (NUL-terminated); throws SystemError(InvalidName), naming
  // what `op` failed to do, for a name that would leave this folder.
  std::string checkedName(std::string_view entryName, std::string_view op) const;
  // path() + "\" + entryName, for messages.
  std::string entryPath(std::string_view entryName) const;
  // The listed entry of that exact name, once the listing is read; entries are mostly looked
  // up in listing order, so the search starts after the last one found.
  const Entry* listed(std::string_view entryName) const noexcept;

  std::intptr_t handle_ = -1;  // Linux: a descriptor; Windows: a HANDLE
  std::string path_;
  bool listed_ = false;
  std::string names_;  // each name followed by a NUL
  std::vector<Entry> entries_;
  std::size_t unlisted_ = 0;
  mutable std::size_t lastFound_ = 0;
};

}  // namespace os
