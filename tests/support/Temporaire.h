#pragma once
// A fresh, empty folder of the system's temporary folder, for one test ("<temp>\<nom>-<random>").
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

inline std::filesystem::path DossierTemporaireNeuf(std::string_view nom) {
  static std::mt19937_64 alea(std::random_device{}() ^
                              static_cast<std::uint64_t>(
                                  std::chrono::steady_clock::now().time_since_epoch().count()));
  static constexpr char chiffres[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  for (int essai = 0; essai < 100; ++essai) {
    std::string suffixe;
    for (std::uint64_t n = alea(), i = 0; i < 8; ++i, n /= 36) suffixe += chiffres[n % 36];
    const auto dossier = std::filesystem::temp_directory_path() / (std::string(nom) + "-" + suffixe);
    if (std::filesystem::create_directory(dossier)) return dossier;
  }
  throw std::runtime_error("no temporary folder for " + std::string(nom));
}
