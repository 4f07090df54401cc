#pragma once
// A throw-away Windows environment for one test: its own prefix in a temporary folder.
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "platform/Prefix.h"

class PrefixeTemporaire {
 public:
  PrefixeTemporaire() {
    os::setPrefixFolder(dossier_.path().toStdString());
    os::ensureProfile();
  }
  PrefixeTemporaire(const PrefixeTemporaire&) = delete;
  PrefixeTemporaire& operator=(const PrefixeTemporaire&) = delete;

  // The host file behind a Windows path of the prefix.
  static std::filesystem::path Hote(const std::string& cheminWindows) {
    const auto hote = os::hostPath(cheminWindows);
    if (!hote) throw std::runtime_error("hors du préfixe : " + cheminWindows);
    return *hote;
  }
  static void Ecrire(const std::string& cheminWindows, const std::string& octets) {
    std::ofstream(Hote(cheminWindows), std::ios::binary) << octets;
  }
  // The file's bytes, or nothing when it is missing.
  static std::optional<std::string> Lire(const std::string& cheminWindows) {
    std::ifstream flux(Hote(cheminWindows), std::ios::binary);
    if (!flux) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(flux), {});
  }

 private:
  QTemporaryDir dossier_;
};
