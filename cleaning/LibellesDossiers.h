#pragma once
// Status texts of the folder passes of a cleaning run.
#include <array>
#include <string>

// By TableDossiers index: cache, history, recent documents, cookies, temporary folder.
extern const std::array<std::string, 5> LibellesDossiers;
