#include "platform/SystemError.h"

namespace os {

SystemError::SystemError(std::uint32_t code, const std::string& what)
    : std::runtime_error(what), code_(code) {}

}  // namespace os
