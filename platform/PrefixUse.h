#pragma once
// Whether other programs use a prefix (Linux; on Windows there is no prefix to share and nothing
// is ever in use).
//
// A process of the user uses a prefix folder when it holds something in it: its working folder,
// its executable, a file or folder it has open or mapped; or when it is a Wine process (its
// executable is a Wine loader, preloader or server: wine, wine64, wine-preloader,
// wine64-preloader, wineserver, wineserver32, wineserver64; or it maps Wine's ntdll: a file
// ntdll.so or ntdll.dll below a folder whose name holds "wine" or "proton") whose environment
// names the prefix: WINEPREFIX (when unset, Wine's own default, $HOME/.wine), or
// STEAM_COMPAT_DATA_PATH, whose prefix is <path>/pfx. A name "names" the folder it leads to and
// every folder holding it; an empty or relative one names nothing. Any other process that only
// carries these variables (a shell that exported them, sleep, an X server) does not count. Wine's
// server of the prefix is also found through its lock and its socket, and Proton setting the prefix
// up through pfx.lock held. Never this process; of those that started it (a shell, a script), only
// what they hold open or run counts, not the folder nor the environment they started it from.
//
// Paths of any length are handled (one over 4,095 bytes, which the system does not print, is
// told by identity: a folder by going up its parents; a file that is not mapped only by the file
// system it lies on, which then counts as in use), and map lists of any size (read as a stream). A
// process whose entries this user may not read (one that made itself not dumpable, as some games
// and agents do) is not examined: nothing of it can be told. A Wine process of a prefix cannot run
// without that prefix's wineserver, which is found without reading any process (its lock and
// socket) and which, being readable, holds the prefix folder open as long as it runs: a Wine
// program that hides itself is still found through its server.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace os {

// A process using a prefix.
struct PrefixUser {
  std::string program;  // its name as the system lists it ("wineserver", "Jeu.exe")
  int pid = 0;          // 0 when the system does not tell
};

// The first process using the prefix folder `prefix` (above): its server first, then the
// processes in the order the system lists them. Nothing when none does, or when the folder does
// not exist.
std::optional<PrefixUser> prefixUser(const std::filesystem::path& prefix);
// The same for several prefixes, looking at the processes once: one answer per prefix.
std::vector<std::optional<PrefixUser>> prefixUsers(
    const std::vector<std::filesystem::path>& prefixes);

// Throws SystemError(SharingViolation) naming the prefix, the program and its process when the
// prefix is in use (prefixUser).
void checkPrefixFree(const std::filesystem::path& prefix);

// Watches one prefix through a run that must not share it: a first look over every process, then
// later looks cheap enough to make between any two steps of the run.
class PrefixWatch {
 public:
  explicit PrefixWatch(std::filesystem::path prefix);
  ~PrefixWatch();
  PrefixWatch(PrefixWatch&&) noexcept;
  PrefixWatch& operator=(PrefixWatch&&) noexcept;
  PrefixWatch(const PrefixWatch&) = delete;
  PrefixWatch& operator=(const PrefixWatch&) = delete;

  // The first look, every process examined: throws as checkPrefixFree does when the prefix is
  // in use. Starts the watch afresh each time.
  void start();
  // A later look: the prefix's server (lock, socket), pfx.lock, and the processes that are new
  // since the previous look (a pid with another /proc entry than before: a pid used again is
  // another process) or were still starting then (under two seconds old: between fork and exec,
  // a process shows little): the first of them using the prefix, or nothing. Nothing is read of
  // the others, which keeps the look cheap: a process seen before that only now reaches into the
  // prefix, or runs another program without starting a new process, is not seen. A Wine program
  // starting in a prefix that was free always is: it needs the prefix's wineserver, a new process
  // whose lock and socket are looked at too. Before start(), a first look that does not throw.
  std::optional<PrefixUser> recheck();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace os
