#pragma once
// A hive as text. Wine's registry format ("WINE REGISTRY Version 2") is read into the model and
// written back with every key no change touched kept byte for byte (header, comments, #time,
// #class and #link lines, order); only changed keys are written afresh. A file in the regedit
// text format ("Windows Registry Editor Version 5.00") is read into the same model; all its
// keys are written afresh, in Wine's format, at its next save.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/linux/Hive.h"

namespace os::host {

// The first lines of every hive the program writes.
inline constexpr std::string_view kWineHeader =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"
    "\n"
    "#arch=win64\n";
// True when `text` starts with Wine's first line.
bool isWineHiveText(std::string_view text) noexcept;

// Reads a hive in either format. Throws SystemError(BadRegistryHive) naming `fileName` and the
// line: "Base de registre illisible : <file>, ligne <n> : <what is wrong>".
Hive readHiveText(std::string text, std::string_view fileName);
// Reads Wine's format only; the hive keeps `text`.
Hive readWineHive(std::string text, std::string_view fileName);
// Reads the regedit text format only.
Hive readRegeditHive(std::string_view text, std::string_view fileName);
// Throws the error of a hive text that cannot be read, at line `line`.
[[noreturn]] void failHiveText(std::string_view fileName, std::size_t line,
                               const std::string& problem);

// The hive in Wine's format: the text read, with only the changed keys written afresh.
std::string hiveText(const Hive& hive);

}  // namespace os::host
