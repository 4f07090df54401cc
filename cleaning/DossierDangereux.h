#pragma once
// Which folders a cleaning pass may empty.
#include <string_view>

// True for a folder that is not an absolute path below a drive root ("C:\", "c:", "C:\.",
// "C:\Temp\..", "Temp", ""): emptying it would reach far more than the user meant.
bool DossierDangereux(std::string_view dossier) noexcept;
