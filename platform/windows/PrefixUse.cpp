// On Windows the program works on the user's own profile: there is no prefix to share.
#include "platform/PrefixUse.h"

namespace os {

std::optional<PrefixUser> prefixUser(const std::filesystem::path&) { return std::nullopt; }

std::vector<std::optional<PrefixUser>> prefixUsers(
    const std::vector<std::filesystem::path>& prefixes) {
  return std::vector<std::optional<PrefixUser>>(prefixes.size());
}

void checkPrefixFree(const std::filesystem::path&) {}

}  // namespace os
