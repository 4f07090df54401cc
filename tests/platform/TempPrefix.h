#pragma once
// A fixture giving each test its own prefix in a temporary folder, removed afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Prefix.h"
#include "tests/support/Systeme.h"
#include "tests/support/Temporaire.h"

class TempPrefix : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix_ = DossierTemporaireNeuf("tidora-test");
    os::setPrefixFolder(prefix_);
  }
  void TearDown() override {
    EffacerArbre(prefix_);
  }

  std::filesystem::path drive() const { return prefix_ / "drive_c"; }
  // Creates a host file under drive_c (relative path with "/"), parents included.
  std::filesystem::path makeFile(const std::string& relative, const std::string& content = "x") {
    os::ensureProfile();
    const std::filesystem::path p = drive() / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
    return p;
  }
  std::filesystem::path makeFolder(const std::string& relative) {
    os::ensureProfile();
    const std::filesystem::path p = drive() / relative;
    std::filesystem::create_directories(p);
    return p;
  }

  std::filesystem::path prefix_;
};
