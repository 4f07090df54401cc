#pragma once
// Cleaning from the command line: a run without windows (TMenage with the real executant) in one
// prefix or in every prefix found, its status line on a terminal and its summary on standard
// output, its refusals and failures on standard error. Ctrl-C stops a run cleanly: the pass in
// progress ends, the summary still comes, and no further prefix is cleaned.
#include <filesystem>

// Exit statuses of a cleaning.
inline constexpr int kNettoye = 0;         // done
inline constexpr int kFichiersRestes = 1;  // some files could not be deleted
inline constexpr int kRefuse = 2;          // refused (no prefix, no options, in use), failed or stopped

// Cleans the prefix `dossier` with its validated options; nothing is created there beyond what
// the run itself does. Returns the exit status.
int NettoyerPrefixe(const std::filesystem::path& dossier);

// Cleans each prefix found that has validated options and is not in use, says which ones it
// passed over and why, then the total. Returns the worst exit status of the runs made.
int NettoyerTous();
