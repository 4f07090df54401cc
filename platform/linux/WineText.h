#pragma once
// Wine's registry text: how names and strings are escaped, and the forms of a value's data
// ("text", str(2):"...", dword:..., hex:..., hex(N):...), which the regedit text format shares.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace os::host {

// Text for the registry API is UTF-8 (read by host::nextChar); Wine's files hold UTF-16 code
// units. A byte that is not UTF-8 travels as the lone surrogate U+DC00 + that byte, and the three
// bytes of such a surrogate as three such bytes, so that both directions give back exactly what
// they were given.
std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view units);

// Appends `units` as Wine escapes them between quotes; `quotes` are the characters escaped with
// a "\" besides "\" itself ("\"" for names and strings, "[]" for key paths).
void appendWineEscaped(std::string& out, std::u16string_view units, std::string_view quotes);
// Decodes an escaped string from text[pos] up to the first unescaped `end` into UTF-8; pos is
// left on `end`. False when the line ends first.
bool parseWineEscaped(std::string_view text, std::size_t& pos, char end, std::string& out);

// The lines of one value in Wine's form, each ending with "\n".
std::string wineValueText(std::string_view name, const RegistryValue& value);

// Reads a value's data, the text after its "=" (its line end left out). A hex list goes on over
// the lines after a final "\", which `nextLine` gives (false at the end of the text). Hex data is
// kept as written (see wineHexText). Returns null, or what is wrong, in French.
const char* parseValueData(std::string_view data, RegistryValue& out,
                           const std::function<bool(std::string_view&)>& nextLine);
// The data of a value of a text type given in hex holds UTF-16 in Wine's files: turned into
// UTF-8.
void wineHexText(RegistryValue& value);

}  // namespace os::host
