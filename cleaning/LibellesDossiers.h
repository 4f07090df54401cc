#pragma once
// Status texts of the folder passes of a cleaning run.
#include <array>
#include <string>
#include <string_view>

// By TableDossiers index: cache, history, recent documents, cookies, temporary folder.
extern const std::array<std::string, 5> LibellesDossiers;

// What a folder pass takes files for, as a person reads it, by the option's key ("History":
// "historique des URL"); "" for another key.
std::string_view NomDePasse(std::string_view cle) noexcept;
