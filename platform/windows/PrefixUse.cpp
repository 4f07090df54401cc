// On Windows the program works on the user's own profile: there is no prefix to share.
#include "platform/PrefixUse.h"

namespace os {

std::optional<PrefixUser> prefixUser(const std::filesystem::path&) { return std::nullopt; }

std::vector<std::optional<PrefixUser>> prefixUsers(
    const std::vector<std::filesystem::path>& prefixes) {
  return std::vector<std::optional<PrefixUser>>(prefixes.size());
}

void checkPrefixFree(const std::filesystem::path&) {}

struct PrefixWatch::State {};

PrefixWatch::PrefixWatch(std::filesystem::path) : state_(std::make_unique<State>()) {}
PrefixWatch::~PrefixWatch() = default;
PrefixWatch::PrefixWatch(PrefixWatch&&) noexcept = default;
PrefixWatch& PrefixWatch::operator=(PrefixWatch&&) noexcept = default;

void PrefixWatch::start() {}

std::optional<PrefixUser> PrefixWatch::recheck() { return std::nullopt; }

}  // namespace os
