#pragma once
// Both forms bound to windows without a toolkit, made in start-up order over a throw-away
// prefix.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/Unit1.h"
#include "options/Unit2.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/Prefix.h"
#include "platform/SystemError.h"
#include "tests/forms/FenetreFactice.h"
#include "tests/support/Systeme.h"
#include "tests/support/Temporaire.h"

class FichesTest : public testing::Test {
 protected:
  void SetUp() override {
    prefixe_ = DossierTemporaireNeuf("tidora-fiches");
    os::setPrefixFolder(prefixe_);
    os::ensureProfile();
    std::filesystem::create_directories(*os::hostPath(os::executableFolder()));
    Demarrer();
  }
  void TearDown() override {
    form1.reset();
    formOptions.reset();
    EffacerArbre(prefixe_);
  }

  void Demarrer() {
    form1 = std::make_unique<TForm1>();
    form1->Attacher(&fenetre1);
    Form1 = form1.get();
    form1->FormCreate();
    formOptions = std::make_unique<TFormOptions>();
    formOptions->Attacher(&fenetreOptions);
    FormOptions = formOptions.get();
    formOptions->FormCreate();
  }

  // Boxes checked by number (1 to 17), masks typed, then the validate zone.
  void Valider(std::initializer_list<int> cases, const std::string& masques = {}) {
    fenetreOptions.coches.clear();
    for (int n : cases) fenetreOptions.coches.insert("CheckBox" + std::to_string(n));
    fenetreOptions.textes["EditEffacer"] = masques;
    formOptions->MouseDown("Shape2", TMouseButton::mbLeft);
  }

  // A file of `taille` bytes at a Windows path, its folders made.
  static void Creer(const std::string& chemin, std::size_t taille = 10) {
    std::filesystem::path hote = *os::hostPath(chemin);
    std::filesystem::create_directories(hote.parent_path());
    os::File fichier = os::File::create(chemin);
    fichier.write(std::string(taille, 'x'));
    fichier.close();
  }
  static bool Existe(const std::string& chemin) { return os::fileAttributes(chemin).has_value(); }

  FenetreFactice fenetre1, fenetreOptions;
  std::unique_ptr<TForm1> form1;
  std::unique_ptr<TFormOptions> formOptions;

 private:
  std::filesystem::path prefixe_;
};
