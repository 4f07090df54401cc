#pragma once
// What a drive is on Linux: a Wine prefix folder, its drive_c and its user.reg, each held open
// from the moment the drive is made, so that a folder moved or swapped for a link afterwards is
// never mistaken for them.
#include <filesystem>
#include <string>

#include "platform/Drive.h"
#include "platform/linux/HiveStore.h"

namespace os {

struct Drive::State {
  State(std::filesystem::path folder, int folderFd, int driveFd);
  ~State();
  State(const State&) = delete;
  State& operator=(const State&) = delete;

  std::filesystem::path prefix;  // absolute, without a final "/"
  std::string prefixPath;        // the same as text, for messages and what lies beside it
  int prefixFd = -1;             // the prefix folder (O_RDONLY | O_DIRECTORY)
  std::string root;              // "<prefix>/drive_c", for messages
  int rootFd = -1;               // drive_c (O_PATH | O_DIRECTORY)
  host::HiveStore hive;          // user.reg
};

}  // namespace os
