#pragma once
// A Wine or Proton prefix of the user, as the launchers know it.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PrefixCheck.h"
#include "platform/PrefixUse.h"

// Who made the prefix.
enum class Origine { Wine, Steam, Lutris, Heroic, Bottles };

// "wine", "steam", "lutris", "heroic", "bottles".
std::string_view NomOrigine(Origine origine) noexcept;

struct Prefixe {
  std::filesystem::path chemin;  // as the launcher reaches it (links to it kept)
  Origine origine = Origine::Wine;
  std::string nom;               // the game's name where the launcher knows it, else the folder's
  os::FileId id;                 // the folder itself, whatever path reaches it
  std::optional<std::uint64_t> taille;        // drive C on disk, in bytes, once measured
  std::optional<os::PrefixUser> utilisateur;  // once looked for: the process using it
  // The folders the launchers install its games into (Lutris, Heroic), as host paths; a
  // preview lists what lies in those inside drive C with the save and game folders.
  std::vector<std::filesystem::path> jeux;
  // Steam's number of its game ("1245620"), or "".
  std::string appid;
  // Steam's prefix of a game no library holds any more (no manifest of it anywhere).
  bool desinstalle = false;
};
