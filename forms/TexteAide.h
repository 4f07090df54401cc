#pragma once
// The text of a help file, as both help readers show it.
#include <string>
#include <string_view>

// `octets` as UTF-8: as they are when they are UTF-8 throughout (a leading byte-order mark
// dropped), else read as Windows-1252.
std::string TexteAide(std::string_view octets);
