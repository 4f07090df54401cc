// Files told apart by their host path, each existing component spelled as on disk.
#include "platform/FileSystem.h"
#include <utility>

#include "platform/linux/Host.h"

namespace os {

std::string fileKey(std::string_view path) {
  host::Resolved r = host::resolve(path);
  return r.valid ? std::move(r.path) : std::string(path);
}

}  // namespace os
