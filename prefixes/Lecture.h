#pragma once
// Reading the launchers' own files and folders: never blocking on a pipe or a device, never
// reading more than a launcher could have written.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The text of the regular file `fichier` (links to it followed), at most `limite` bytes; nothing
// when it is missing, not a regular file, unreadable or larger.
std::optional<std::string> LireFichier(const std::filesystem::path& fichier,
                                       std::size_t limite = 4 << 20);

// The names in `dossier` ("." and ".." left out), sorted; empty when it cannot be read.
std::vector<std::string> Enfants(const std::filesystem::path& dossier);

// A path a launcher wrote: "~" and "~/..." are below `maison`; a relative path or an empty one
// gives nothing.
std::optional<std::filesystem::path> CheminEcrit(std::string_view texte,
                                                 const std::filesystem::path& maison);
