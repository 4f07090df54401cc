#include "platform/common/TemporaryName.h"

#include <cstdio>

namespace os::host {
namespace {

constexpr std::size_t kSuffix = 13;  // ".", eight digits, ".tmp"

}  // namespace

std::string temporaryName(std::string_view name, std::uint32_t random) {
  char suffix[kSuffix + 1];
  std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random));
  return std::string(name) + suffix;
}

bool isTemporaryName(std::string_view entry, std::string_view name, bool ignoreCase) {
  if (entry.size() != name.size() + kSuffix) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    char a = entry[i], b = name[i];
    if (ignoreCase && a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (ignoreCase && b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  const std::string_view suffix = entry.substr(name.size());
  if (suffix.front() != '.' || suffix.substr(9) != ".tmp") return false;
  for (const char c : suffix.substr(1, 8)) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

}  // namespace os::host
