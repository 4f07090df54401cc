#pragma once
// Drive C and HKEY_CURRENT_USER of one Windows user: a Wine prefix on Linux, the user's own
// profile on Windows. Every folder, file and registry key the program works on is reached
// through the drive it belongs to; nothing of a drive is kept for the whole process, and several
// drives may be used at once, from several threads.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileId.h"
#include "platform/Folder.h"
#include "platform/PrefixUse.h"
#include "platform/Registry.h"

namespace os {

// Movable, not copyable. The folders and keys it opens may outlive it.
class Drive {
 public:
  // Linux: the Wine prefix `folder` as it stands, never creating anything in it. Throws
  // SystemError (French) unless it holds a real folder drive_c on the prefix folder's own file
  // system (neither a link nor a mount point) and a regular file user.reg. With `expected`, the
  // folder the path leads to must be that one (as it was found): another one, a link swapped in
  // since leads to, is refused before anything of it is read.
  static Drive existing(const std::filesystem::path& folder,
                        std::optional<FileId> expected = std::nullopt);
  // Linux: the program's own prefix `folder`, whose fresh profile (the folders of drive C and a
  // user.reg naming them) is created when missing; `created` tells whether it was. A folder that
  // may not serve as a prefix is refused first (checkPrefixFolder). Throws SystemError.
  static Drive own(const std::filesystem::path& folder, bool* created = nullptr);
  // Linux: where the program's own prefix lives: $TIDORA_PREFIX, else $XDG_DATA_HOME/tidora,
  // else ~/.local/share/tidora. Throws SystemError when no home folder is known.
  static std::filesystem::path ownFolder();
  // Windows: the user's own drive C and registry.
  static Drive system();
  // Windows: a drive C in "<folder>\drive_c" holding the folders of a fresh profile, and a
  // scratch key standing for HKEY_CURRENT_USER, deleted with the drive (tests, benchmarks).
  static Drive sandbox(const std::filesystem::path& folder);

  ~Drive();
  Drive(Drive&& other) noexcept;
  Drive& operator=(Drive&& other) noexcept;
  Drive(const Drive&) = delete;
  Drive& operator=(const Drive&) = delete;

  // The prefix folder (Linux), the sandbox folder, or nothing for the system's own drive.
  const std::filesystem::path& prefix() const noexcept;

  // The folder at the Windows path `path` ("C:\windows\TEMP"); nothing when it is missing, is
  // not a folder, cannot be read, or is itself a link or a mount point. On Linux the path is
  // matched without regard to case (an exact spelling first), only drive C exists, and no link
  // or mount point may lie anywhere on the way; on Windows a link on the way is followed, as the
  // system follows it for any path.
  std::optional<Folder> openFolder(std::string_view path) const;
  // The folder at `path` (as openFolder opens it) by the path the system itself knows it by:
  // "C:\" then its names as the folders holding them spell them, "." and ".." resolved; on
  // Windows the final path of the open folder (links on the way resolved, short names long).
  // Nothing when no folder opens there. What a folder is, whatever name reached it.
  std::optional<std::string> folderPath(std::string_view path) const;
  // The key `path` of HKEY_CURRENT_USER; nothing when it is missing. Throws SystemError.
  std::optional<RegistryKey> openKey(std::string_view path) const;
  // The key `path`, created with its parents when missing. Throws SystemError.
  RegistryKey createKey(std::string_view path) const;

  // Linux: where the Windows path `path` of drive C lies on the host (existing names as spelled
  // on disk, a missing tail as given); nothing for a path off drive C. For what the program shows
  // its user; the program itself acts through folders.
  std::optional<std::filesystem::path> hostPath(std::string_view path) const;

  // The Windows directory, "C:\windows".
  std::string windowsDirectory() const;
  // Full path of the running program ("C:\Program Files\Tidora 2000\Tidora2000.exe").
  std::string executablePath() const;
  // The folder of executablePath(), without a final "\".
  std::string executableFolder() const;
  // The user's own temporary folder, where programs write their temporary files: as the
  // profile's registry names it (HKCU\Environment, TEMP), or on Windows as the system does; a
  // full path of drive C, without a final "\". Nothing when none is named, or when it is no
  // folder named "Temp" or "Tmp" (nor one of theirs): a TEMP set to a profile folder is never
  // emptied. Throws SystemError when the registry cannot be read.
  std::optional<std::string> userTempDirectory() const;

  // The first process of this user (never this one) using the drive's prefix now; always
  // nothing for the system's own drive.
  std::optional<PrefixUser> user() const;
  // Throws SystemError(SharingViolation), naming the prefix, the program and its process, when
  // user() finds one.
  void checkFree() const;

  // True while the first start of a fresh profile is not marked done: a start that failed
  // half-way (a full disk) leaves it so, and the next one completes it.
  bool freshProfilePending() const;
  // Marks the first start's work done.
  void finishFreshProfile() const;
  // True when this program made the prefix itself (Drive::own made its fresh profile, and
  // marked it so for good); false for a Wine or Proton prefix, even one serving as the program's
  // own. On Windows: a sandbox.
  bool madeByProgram() const;

  // What each system keeps of a drive (platform/<system>/DriveState.h).
  struct State;
  const State& state() const noexcept { return *state_; }
  const std::shared_ptr<State>& shared() const noexcept { return state_; }

 private:
  explicit Drive(std::shared_ptr<State> state) noexcept;
  std::shared_ptr<State> state_;
};

}  // namespace os
