// Files told apart by their host path, each existing component spelled as on disk.
#include "platform/FileSystem.h"
#include <utility>

#include "platform/linux/Host.h"

namespace os {

std::string fileKey(std::string_view path) {
  return fileKey(path, std::string_view::npos);
}

std::string fileKey(std::string_view path, std::size_t listedFrom) {
  host::Resolved r = host::resolve(path, listedFrom);
  return r.valid ? std::move(r.path) : std::string(path);
}

}  // namespace os
