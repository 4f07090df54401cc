#pragma once
// Where the user's launchers keep their files: the home folder and the XDG folders.
#include <filesystem>
#include <vector>

struct Maison {
  std::filesystem::path dossier;   // $HOME, else the user's home in the password database
  std::filesystem::path donnees;   // $XDG_DATA_HOME when absolute, else ~/.local/share
  std::filesystem::path config;    // $XDG_CONFIG_HOME when absolute, else ~/.config
  std::filesystem::path winePrefix;  // $WINEPREFIX when absolute, else empty

  // From this process's environment. Throws SystemError when no home folder is known.
  static Maison DuSysteme();
  // For a home folder alone: the XDG folders at their defaults, no WINEPREFIX.
  static Maison De(const std::filesystem::path& dossier);

  // `relatif` below the data folder, then below ~/.local/share when that differs (launchers
  // that ignore XDG_DATA_HOME): one or two paths.
  std::vector<std::filesystem::path> SousDonnees(const std::filesystem::path& relatif) const;
  // The same below the configuration folder and ~/.config.
  std::vector<std::filesystem::path> SousConfig(const std::filesystem::path& relatif) const;
};
