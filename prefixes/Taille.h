#pragma once
// The space a prefix takes on disk.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "prefixes/Prefixe.h"

// The bytes `dossier` and everything below it take on disk, as `du -s -B1` counts them: each
// entry's allocated blocks, the folder's own included, a file of several names once. No link is
// followed (a link counts for itself) and no mount point is entered. 0 when it cannot be read.
// Once `*arret` is true (another thread may set it) the count stops before the next folder and
// what it returns is only part of the size.
std::uint64_t TailleSurDisque(const std::filesystem::path& dossier,
                              const std::atomic<bool>* arret = nullptr);

// Fills in the size of each prefix's drive C.
void MesurerTailles(std::vector<Prefixe>& prefixes);
