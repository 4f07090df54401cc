#pragma once
// Which file masks a cleaning run may use.
#include <string_view>

// True for a mask that names no fixed part of a file name (empty, or made only of "*", "?" and
// "."), or that holds "\", "/" or ":": such a mask would reach far more than the user meant.
bool MasqueDangereux(std::string_view masque) noexcept;
