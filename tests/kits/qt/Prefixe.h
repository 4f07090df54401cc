#pragma once
// What the window tests read back from a test's drive (tests/support/LecteurTemporaire.h).
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/LecteurTemporaire.h"

// The bytes of the file at the Windows path `chemin` of the drive, or nothing when it is missing.
inline std::optional<std::string> LireFichier(const LecteurTemporaire& t, std::string_view chemin) {
  std::ifstream flux(t.Hote(chemin), std::ios::binary);
  if (!flux) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(flux), {});
}

// The names in the host folder `dossier`, sorted, each followed by a space; "" when it is empty.
inline std::string Noms(const std::filesystem::path& dossier) {
  std::vector<std::string> liste;
  for (const auto& e : std::filesystem::directory_iterator(dossier)) {
    liste.push_back(e.path().filename().string());
  }
  std::sort(liste.begin(), liste.end());
  std::string noms;
  for (const std::string& nom : liste) noms += nom + " ";
  return noms;
}

// Every path below `dossier` whose name ends in ".lock" (links not followed).
inline std::vector<std::string> Verrous(const std::filesystem::path& dossier) {
  std::vector<std::string> verrous;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dossier)) {
    if (e.path().filename().string().ends_with(".lock")) verrous.push_back(e.path().string());
  }
  return verrous;
}
