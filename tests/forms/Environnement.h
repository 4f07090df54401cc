#pragma once
// Both forms bound to windows without a toolkit, made in start-up order over a drive of the
// test's own.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/Unit1.h"
#include "options/Unit2.h"
#include "platform/FileSystem.h"
#include "tests/forms/FenetreFactice.h"
#include "tests/support/LecteurTemporaire.h"

class FichesTest : public AvecLecteur {
 protected:
  void SetUp() override { Demarrer(); }
  void TearDown() override {
    form1.reset();
    formOptions.reset();
  }

  void Demarrer() {
    form1 = std::make_unique<TForm1>(lecteur);
    form1->Attacher(&fenetre1);
    Form1 = form1.get();
    form1->FormCreate();
    formOptions = std::make_unique<TFormOptions>(lecteur);
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
  void Creer(const std::string& chemin, std::size_t taille = 10) const {
    temporaire.Creer(chemin, std::string(taille, 'x'));
  }
  bool Existe(const std::string& chemin) const {
    return os::fileAttributes(lecteur, chemin).has_value();
  }

  FenetreFactice fenetre1, fenetreOptions;
  std::unique_ptr<TForm1> form1;
  std::unique_ptr<TFormOptions> formOptions;
};
