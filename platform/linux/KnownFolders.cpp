// The Windows directory and the program's own place on drive C.
#include "platform/FileSystem.h"
#include "platform/linux/Host.h"

namespace os {

std::string windowsDirectory() {
  host::driveRoot();
  return "C:\\windows";
}

std::string executablePath() {
  host::driveRoot();
  return "C:\\Program Files\\Tidora 2000\\Tidora2000.exe";
}

std::string executableFolder() {
  host::driveRoot();
  return "C:\\Program Files\\Tidora 2000";
}

}  // namespace os
