#pragma once
// Sizes as the windows and the command line show them to a person, in one unit.
#include <cstdint>
#include <string>

// "0 o", "512 o", "8,2 ko", "1,2 Go": powers of 1000, one decimal past the bytes.
std::string TailleLisible(std::uint64_t octets);
