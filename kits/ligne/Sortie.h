#pragma once
// What the command line gives back: its exit status, and its writes to standard output, which a
// failure (a closed pipe, a full disk) never lets pass as a success.
#include <string_view>

// The exit status of the program run from a command line.
enum class Statut : int {
  Fait = 0,        // done
  Incomplet = 1,   // some files could not be deleted, or the output could not be written
  Refuse = 2,      // refused (a wrong command line, no prefix, a prefix in use), failed or stopped
};

inline int Code(Statut s) noexcept { return static_cast<int>(s); }
// The worse of two statuses.
inline Statut Pire(Statut a, Statut b) noexcept { return Code(a) >= Code(b) ? a : b; }

// Writes `texte` on standard output and flushes it; on a failure, says so on standard error
// (once) and returns false.
bool Ecrire(std::string_view texte);
// True when every write to standard output so far went through (Ecrire or std::cout directly);
// says so on standard error the first time it is false.
bool SortieIntacte();
// The status `statut`, made Incomplet at least when the output failed.
Statut AvecSortie(Statut statut);
