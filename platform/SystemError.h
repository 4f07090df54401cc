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
inline constexpr std::uint32_t WriteProtect = 19;  // a read-only disk
inline constexpr std::uint32_t WriteFault = 29;
inline constexpr std::uint32_t GenFailure = 31;
inline constexpr std::uint32_t SharingViolation = 32;  // in use elsewhere (a running Wine)
inline constexpr std::uint32_t LockViolation = 33;  // held by another program
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
  // `what` is the French message the error box shows: what failed, where, and why, e.g.
  // "Ne peut supprimer le fichier C:\windows\TEMP\a.tmp : accès refusé".
  SystemError(std::uint32_t code, const std::string& what);
  // The Windows error code.
  std::uint32_t code() const noexcept { return code_; }

 private:
  std::uint32_t code_;
};

// The French words for a Windows error code ("disque plein", "accès refusé"...).
std::string errorText(std::uint32_t code);

}  // namespace os
