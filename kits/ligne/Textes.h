#pragma once
// What --aide and --version print.
#include <string>

std::string TexteAide();
// The version and the licence (GPL-3.0-or-later).
std::string TexteVersion();
