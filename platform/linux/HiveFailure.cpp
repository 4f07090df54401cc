#include "platform/linux/HiveFailure.h"

#include "platform/SystemError.h"
#include "platform/linux/Host.h"

namespace os::host {

void failHive(std::string_view what, std::string_view file, int err) {
  std::string message(what);
  message.append(" : ").append(file).append(" : ").append(errnoText(err));
  const std::uint32_t code = errorCode(err);
  throw SystemError(code == error::DiskFull ? code : error::BadRegistryHive, message);
}

}  // namespace os::host
