#pragma once
// Where the emulated Windows user environment lives on the host (Linux only).
#include <filesystem>
#include <optional>
#include <string_view>

namespace os {

// The prefix folder: $TIDORA_PREFIX, else $XDG_DATA_HOME/tidora, else ~/.local/share/tidora.
std::filesystem::path prefixFolder();
// Points the emulation at another prefix (tests, benchmarks); the next use creates its profile.
void setPrefixFolder(const std::filesystem::path& folder);
// Points the emulation at the existing prefix `folder`, used as it stands: nothing of a profile
// is ever created there (no fresh profile, no program folder, no user.reg). Throws SystemError
// with a French message when it may not serve as a prefix (checkPrefixFolder) or lacks a real
// folder drive_c or a file user.reg. Linux only.
void useExistingPrefix(const std::filesystem::path& folder);
// Creates the fresh profile (drive C folders, user.reg) when the prefix has none yet; returns
// true when it created one.
bool ensureProfile();
// True while the first start of a fresh profile is not marked done: a start that failed half-way
// (a full disk) leaves it so, and the next one completes the profile.
bool freshProfilePending();
// Marks the first start's work done.
void finishFreshProfile();
// The host path of a Windows path on drive C, matching existing components case-insensitively
// (a missing tail keeps its spelling); nothing for any other drive or a path that is not
// absolute. "." and ".." are resolved first and never climb above drive C.
std::optional<std::filesystem::path> hostPath(std::string_view windowsPath);

}  // namespace os
