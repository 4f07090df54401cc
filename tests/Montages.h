#pragma once
// Mounts a test makes inside its own temporary prefix, undone whatever happens.
#include <sys/mount.h>

#include <filesystem>
#include <vector>

struct Montages {
  std::vector<std::filesystem::path> points;
  Montages() = default;
  Montages(const Montages&) = delete;
  Montages& operator=(const Montages&) = delete;
  ~Montages() {
    for (auto p = points.rbegin(); p != points.rend(); ++p) umount2(p->c_str(), MNT_DETACH);
  }
  // False (errno set) when mounting is refused here.
  bool Lier(const std::filesystem::path& source, const std::filesystem::path& cible) {
    return Monter(source.c_str(), cible, nullptr, MS_BIND, nullptr);
  }
  // A small tmpfs ("size=64k,nr_inodes=40"...).
  bool Tmpfs(const std::filesystem::path& cible, const char* options) {
    return Monter("tidora-test", cible, "tmpfs", 0, options);
  }
  bool Monter(const char* source, const std::filesystem::path& cible, const char* type,
              unsigned long drapeaux, const char* options) {
    if (mount(source, cible.c_str(), type, drapeaux, options) != 0) return false;
    points.push_back(cible);
    return true;
  }
  // Changes the options of a mount made here (MS_RDONLY, "nr_inodes=1000"...).
  static bool Remonter(const std::filesystem::path& cible, unsigned long drapeaux,
                       const char* options) {
    return mount(nullptr, cible.c_str(), nullptr, MS_REMOUNT | drapeaux, options) == 0;
  }
};
