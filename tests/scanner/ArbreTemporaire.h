#pragma once
// A scanner test bench: a fresh prefix in a temporary folder, a tree built on drive C, and a
// TScruteDossier whose reports are recorded as "F <file>", "D <folder>", "X" (OnExecute) and
// "Z" (OnFinExecute).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Folder.h"
#include "platform/Prefix.h"
#include "scanner/Scrute.h"
#include "tests/support/Systeme.h"
#include "tests/support/Temporaire.h"

class ArbreTemporaire : public ::testing::Test {
 protected:
  void SetUp() override {
    prefixe_ = DossierTemporaireNeuf("tidora-scrute");
    os::setPrefixFolder(prefixe_);
    os::ensureProfile();
    auto c = os::hostPath("c:\\");
    ASSERT_TRUE(c.has_value());
    c_ = *c;
    Enregistre();
    s.Dossier = "c:\\t";
  }

  // Handlers that only record, and no drain hook.
  void Enregistre() {
    s.OnExecute = [this](TScruteDossier&) { rapports.push_back("X"); };
    s.OnFinExecute = [this](TScruteDossier&) { rapports.push_back("Z"); };
    s.OnFichier = [this](TScruteDossier&, const std::string& n) { rapports.push_back("F " + n); };
    s.OnDossier = [this](TScruteDossier&, const std::string& n) { rapports.push_back("D " + n); };
    s.TraiterMessages = nullptr;
  }

  void TearDown() override {
    EffacerArbre(prefixe_);
  }

  // Creates files and folders (a name ending in "/") under drive C, parents included.
  void Cree(std::initializer_list<std::string_view> chemins) {
    for (std::string_view chemin : chemins) {
      const auto hote = c_ / chemin;
      if (chemin.ends_with('/')) {
        std::filesystem::create_directories(hote);
      } else {
        std::filesystem::create_directories(hote.parent_path());
        std::ofstream{hote};
      }
    }
  }

  // Runs one scan and returns its reports; no search may stay open afterwards.
  std::vector<std::string> Scrute() {
    rapports.clear();
    s.Execute();
    EXPECT_EQ(os::Folder::openCount(), 0);
    return rapports;
  }

  std::filesystem::path prefixe_;
  std::filesystem::path c_;  // drive C on the host
  TScruteDossier s;
  std::vector<std::string> rapports;
};
