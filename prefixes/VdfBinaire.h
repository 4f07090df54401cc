#pragma once
// Steam's binary key-values (shortcuts.vdf): entries of a type byte, a key ending in a NUL byte,
// then the value: 0x00 a block of entries up to its 0x08, 0x01 a text ending in a NUL byte,
// 0x02 a 32-bit number, 0x03 a 32-bit real, 0x04 and 0x06 four bytes, 0x07 and 0x0A eight
// bytes, all little-endian.
#include <cstddef>
#include <string_view>

#include "prefixes/Vdf.h"

// A file holds at most this many entries, blocks included (a shortcut has about twenty).
inline constexpr std::size_t kEntreesVdfBinaire = std::size_t{1} << 18;

// The entries of `octets`, in a block (the outermost ends at its 0x08 or at the end of the
// data), as the text format gives them: texts as they are, 32-bit numbers as unsigned decimal
// (Steam's app ids and times are written so), 64-bit ones in decimal (signed for 0x0A), reals
// in decimal, 0x04 and 0x06 as unsigned decimal. Throws ErreurVdf, a French message with the
// offset, on truncated or malformed data, an unknown type, anything after the outermost end,
// blocks nested deeper than kProfondeurVdf or more than kEntreesVdfBinaire entries.
NoeudVdf LireVdfBinaire(std::string_view octets);
