#pragma once
// The list of prefixes as the command line prints it: a table for a person, or tab-separated
// lines for a program.
#include <cstdint>
#include <string>
#include <vector>

#include "prefixes/Prefixe.h"

// Largest first (an unmeasured prefix last), then by name and path.
void TrierParTaille(std::vector<Prefixe>& prefixes);

// A header and one aligned line a prefix: name, origin, size, state ("libre", "occupé"), path.
// Control characters are shown as "?" (a name never drives the terminal).
std::string Tableau(const std::vector<Prefixe>& prefixes);

// One line a prefix: path, origin, name, size in bytes, "libre" or "occupé", separated by tabs.
// A backslash, tab, line feed or carriage return inside a field is written "\\", "\t", "\n",
// "\r".
std::string LignesTsv(const std::vector<Prefixe>& prefixes);
