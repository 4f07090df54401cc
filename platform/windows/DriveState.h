#pragma once
// What a drive is on Windows: the system's own drive C and HKEY_CURRENT_USER, or a sandbox folder
// standing for drive C with a scratch key standing for HKEY_CURRENT_USER (tests, benchmarks).
#include <windows.h>

#include <filesystem>
#include <string>

#include "platform/Drive.h"

namespace os {

struct Drive::State {
  State() = default;
  ~State();
  State(const State&) = delete;
  State& operator=(const State&) = delete;

  // A sandbox's folder; empty for the system's own drive.
  std::filesystem::path prefix;
  // "<prefix>\drive_c": what "C:\" means; empty for the system's own drive.
  std::wstring drive;
  // The scratch key's name below its parent key; empty for the system's own drive.
  std::wstring scratchName;
  // HKEY_CURRENT_USER, or the sandbox's scratch key (closed, then deleted, with the state).
  HKEY hive = HKEY_CURRENT_USER;

  bool sandboxed() const noexcept { return !prefix.empty(); }
  // The file of the sandbox's first start not yet done.
  std::wstring pendingMarker() const { return (prefix / ".first-start").wstring(); }
};

}  // namespace os
