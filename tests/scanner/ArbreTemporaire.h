#pragma once
// A scanner test bench: a tree built on drive C of a drive of the test's own, and a
// TScruteDossier walking that drive whose reports are recorded as "F <file>", "D <folder>", "X"
// (OnExecute) and "Z" (OnFinExecute).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/Scrute.h"
#include "tests/support/LecteurTemporaire.h"
#include "tests/support/Plateforme.h"

class ArbreTemporaire : public AvecLecteur {
 protected:
  void SetUp() override {
    Enregistre();
    s.Lecteur = &lecteur;
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
    const int ouverts = os::testing::openHandles();
    s.Execute();
    EXPECT_EQ(os::testing::openHandles(), ouverts);
    return rapports;
  }

  const std::filesystem::path c_ = temporaire.LecteurC();  // drive C on the host
  TScruteDossier s;
  std::vector<std::string> rapports;
};
