// errno values mapped onto Windows error codes, and the messages of failures.
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/SystemError.h"
#include "platform/linux/Host.h"

namespace os::host {

std::uint32_t errorCode(int err) noexcept {
  switch (err) {
    case ENOENT:
      return error::FileNotFound;
    case ENOTDIR:
    case ELOOP:
      return error::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EBUSY:
    case ETXTBSY:
    case EXDEV:  // outside drive C
      return error::AccessDenied;
    case EEXIST:
      return error::AlreadyExists;
    case ENOTEMPTY:
      return error::DirNotEmpty;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return error::DiskFull;
    case ENAMETOOLONG:
      return error::InvalidName;
    case EINVAL:
      return error::InvalidParameter;
    case ENOTSUP:
      return error::NotSupported;
    case EIO:
      return error::WriteFault;
    default:
      return error::GenFailure;
  }
}

void fail(std::uint32_t code, std::string_view operation, std::string_view windowsPath,
          std::string_view detail) {
  std::string what;
  what.reserve(operation.size() + windowsPath.size() + detail.size() + 3);
  what.append(operation).append(" ").append(windowsPath).append(": ").append(detail);
  throw SystemError(code, what);
}

void failErrno(int err, std::string_view operation, std::string_view windowsPath) {
  fail(errorCode(err), operation, windowsPath, std::strerror(err));
}

void failMissing(const Resolved& r, std::string_view operation, std::string_view windowsPath) {
  if (!r.valid) fail(error::PathNotFound, operation, windowsPath, "not a path on drive C");
  if (r.parentMissing) fail(error::PathNotFound, operation, windowsPath, "path not found");
  if (r.error != 0 && r.error != ENOENT) failErrno(r.error, operation, windowsPath);
  fail(error::FileNotFound, operation, windowsPath, "file not found");
}

}  // namespace os::host
