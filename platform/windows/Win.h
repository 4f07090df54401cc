#pragma once
// Shared pieces of the Windows backend: UTF-8 <-> UTF-16 at the system's seam, the path the
// system is given for a program path, the registry root, and failures.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/windows/DriveState.h"

namespace os::win {

// UTF-8 to UTF-16. A lone surrogate, which a Windows file name may hold, travels in UTF-8 as
// its three-byte form, so that every name a listing gave comes back to the same file. False on
// bytes that are not such UTF-8.
bool toWide(std::string_view utf8, std::wstring& out);
// UTF-16 to UTF-8 (lone surrogates as above).
std::string toUtf8(std::wstring_view utf16);
// The same into `out`, whose storage is reused.
void assignUtf8(std::wstring_view utf16, std::string& out);

// The path handed to the system for the path `windowsPath` of `drive`: in a sandbox (see
// Drive.cpp) drive C is the sandbox's folder and nothing else can be reached; a long path gets
// the "\\?\" form. False when the path cannot be given (bad UTF-8, outside the sandbox).
bool systemPath(const Drive::State& drive, std::string_view windowsPath, std::wstring& out);
// The same; throws SystemError (InvalidName, PathNotFound) naming `operation`.
std::wstring systemPathOrThrow(const Drive::State& drive, std::string_view windowsPath,
                               std::string_view operation);

// Read-only, hidden and system: the attributes a program sets and a cleaning clears.
inline constexpr DWORD kSettableAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
// What SetFileAttributesW (and FileBasicInfo) keeps besides those three.
inline constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_ARCHIVE |
                                         FILE_ATTRIBUTE_NOT_CONTENT_INDEXED |
                                         FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_TEMPORARY;

// Throws SystemError(code, "<operation> <path>: <system message>").
[[noreturn]] void fail(DWORD code, std::string_view operation, std::string_view path);
// The same with GetLastError().
[[noreturn]] void failLast(std::string_view operation, std::string_view path);

}  // namespace os::win
