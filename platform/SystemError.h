#pragma once
// The failure of an operating-system service, with the system's error code.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace os {

// Windows error codes; the Linux emulation maps errno onto them.
namespace error {
inline constexpr std::uint32_t FileNotFound = 2;
inline constexpr std::uint32_t PathNotFound = 3;
inline constexpr std::uint32_t AccessDenied = 5;
inline constexpr std::uint32_t InvalidData = 13;
inline constexpr std::uint32_t WriteFault = 29;
inline constexpr std::uint32_t GenFailure = 31;
inline constexpr std::uint32_t SharingViolation = 32;  // in use elsewhere (a running Wine)
inline constexpr std::uint32_t NotSupported = 50;
inline constexpr std::uint32_t FileExists = 80;
inline constexpr std::uint32_t InvalidParameter = 87;
inline constexpr std::uint32_t DiskFull = 112;
inline constexpr std::uint32_t InvalidName = 123;
inline constexpr std::uint32_t DirNotEmpty = 145;
inline constexpr std::uint32_t AlreadyExists = 183;
inline constexpr std::uint32_t DirectoryInvalid = 267;  // not a folder
inline constexpr std::uint32_t BadRegistryHive = 1015;  // ERROR_BADDB
}  // namespace error

class SystemError : public std::runtime_error {
 public:
  // `what` names the operation and its object, e.g. "DeleteFile C:\windows\TEMP\a.tmp".
  SystemError(std::uint32_t code, const std::string& what);
  // The Windows error code.
  std::uint32_t code() const noexcept { return code_; }

 private:
  std::uint32_t code_;
};

}  // namespace os
