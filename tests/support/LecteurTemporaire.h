#pragma once
// A drive of a test's own, in a fresh temporary folder removed with it: on Linux the program's
// own fresh prefix (drive C's folders and a user.reg naming the shell folders, no samples), on
// Windows a sandbox. Nothing outside that folder is touched.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/Drive.h"

class LecteurTemporaire {
 public:
  explicit LecteurTemporaire(std::string_view nom = "tidora-test");
  ~LecteurTemporaire();
  LecteurTemporaire(const LecteurTemporaire&) = delete;
  LecteurTemporaire& operator=(const LecteurTemporaire&) = delete;

  const os::Drive& operator*() const noexcept { return lecteur_; }
  const os::Drive* operator->() const noexcept { return &lecteur_; }
  // The temporary folder: the prefix on Linux, the sandbox on Windows.
  const std::filesystem::path& Dossier() const noexcept { return dossier_; }
  // Its drive_c folder.
  std::filesystem::path LecteurC() const { return dossier_ / "drive_c"; }
  // The host path of a Windows path of the drive (existing names matched without regard to
  // case); a failure of the test for a path off drive C.
  std::filesystem::path Hote(std::string_view chemin) const;
  // Makes a file of the drive holding `contenu` (its folders with it), as another program would.
  std::filesystem::path Creer(std::string_view chemin, std::string_view contenu = "x") const;
  // Makes a folder of the drive and its parents.
  std::filesystem::path CreerDossier(std::string_view chemin) const;

 private:
  std::filesystem::path dossier_;
  os::Drive lecteur_;
};

// A test with a drive of its own.
class AvecLecteur : public ::testing::Test {
 protected:
  LecteurTemporaire temporaire;
  const os::Drive& lecteur = *temporaire;
};
