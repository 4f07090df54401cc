#pragma once
// Whether other programs use a prefix: a Wine server or Proton setting it up, or any process of
// the user working in it, sandboxed ones included.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace os {

// A process using a prefix.
struct PrefixUser {
  std::string program;  // its name as the system lists it ("wineserver", "Jeu.exe")
  int pid = 0;          // 0 when the system does not tell
};

// The first process of this user that uses the prefix folder `prefix`: a Wine server of it or
// Proton setting it up (their locks and socket), or a process whose WINEPREFIX or
// STEAM_COMPAT_DATA_PATH, working folder, executable, open or mapped files lie in it. Never this
// process; of those that started it (a shell, a script), only what they hold open or run counts,
// not the folder nor the environment they started it from. Nothing when none does; always
// nothing on Windows.
std::optional<PrefixUser> prefixUser(const std::filesystem::path& prefix);
// The same for several prefixes, looking at the processes once: one answer per prefix.
std::vector<std::optional<PrefixUser>> prefixUsers(
    const std::vector<std::filesystem::path>& prefixes);

// Throws SystemError(SharingViolation) naming the prefix, the program and its process when the
// prefix is in use (prefixUser); nothing is checked on Windows.
void checkPrefixFree(const std::filesystem::path& prefix);

}  // namespace os
