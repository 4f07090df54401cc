#include "forms/TexteAide.h"

#include "platform/TextEncoding.h"

std::string TexteAide(std::string_view octets) {
  if (!os::isUtf8(octets)) return os::fromWindows1252(octets);
  if (octets.starts_with("\xEF\xBB\xBF")) octets.remove_prefix(3);
  return std::string(octets);
}
