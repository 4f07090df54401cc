// The folder chosen as the prefix must be one: never the home folder, the root, a folder of
// prefixes or a folder of something else, and nothing is created in a refused one.
#include <gtest/gtest.h>

#include <cstdlib>

#include "FauxFoyer.h"
#include "platform/Drive.h"
#include "platform/PrefixCheck.h"
#include "platform/SystemError.h"

namespace fs = std::filesystem;

namespace {

class DossierPrefixeTest : public FauxFoyer {
 protected:
  void SetUp() override {
    FauxFoyer::SetUp();
    if (const char* h = std::getenv("HOME")) ancienHome_ = h;
    ::setenv("HOME", Home().c_str(), 1);
  }
  void TearDown() override {
    if (ancienHome_) {
      ::setenv("HOME", ancienHome_->c_str(), 1);
    } else {
      ::unsetenv("HOME");
    }
    FauxFoyer::TearDown();
  }
  // The refusal's message for `dossier`, checking that nothing was created in it.
  static std::string Refus(const fs::path& dossier) {
    std::vector<fs::path> avant;
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(dossier, ec)) avant.push_back(e.path());
    std::string message;
    try {
      os::Drive::own(dossier);
      ADD_FAILURE() << "accepté : " << dossier;
    } catch (const os::SystemError& e) {
      EXPECT_EQ(e.code(), os::error::AccessDenied);
      message = e.what();
    }
    std::vector<fs::path> apres;
    for (const auto& e : fs::recursive_directory_iterator(dossier, ec)) apres.push_back(e.path());
    EXPECT_EQ(avant, apres) << "créé dans " << dossier;
    return message;
  }
  std::optional<std::string> ancienHome_;
};

TEST_F(DossierPrefixeTest, HomeRootFilesAndFoldersOfSomethingElseAreRefused) {
  const std::string fin = " ; rien n'y a été créé";
  EXPECT_EQ(Refus(Home()),
            "Le dossier " + Home().string() + " ne peut servir de préfixe : c'est le dossier personnel" + fin);
  ASSERT_TRUE(LienDossier(Home(), racine_ / "lien-maison"));
  EXPECT_NE(Refus(racine_ / "lien-maison").find("dossier personnel"), std::string::npos);
  EXPECT_THROW(os::checkPrefixFolder("/"), os::SystemError);
  EXPECT_THROW(os::checkPrefixFolder("/usr/.."), os::SystemError);

  Ecrire(racine_ / "documents/lettre.odt", "x");
  EXPECT_EQ(Refus(racine_ / "documents"),
            "Le dossier " + (racine_ / "documents").string() +
                " ne peut servir de préfixe : il ne contient ni drive_c ni registre (system.reg, "
                "user.reg)" + fin);
  Ecrire(racine_ / "fichier", "x");
  EXPECT_THROW(os::checkPrefixFolder(racine_ / "fichier"), os::SystemError);
}

TEST_F(DossierPrefixeTest, AFolderOfPrefixesSaysWhichItHolds) {
  const fs::path heroic = racine_ / "Prefixes/default";
  FairePrefixe(heroic / "Titre B");
  FairePrefixe(heroic / "Titre A");
  EXPECT_NE(Refus(heroic).find("il contient d'autres préfixes (Titre A et Titre B) ; choisissez "
                               "l'un d'eux"),
            std::string::npos);
  const fs::path compat = racine_ / "steamapps/compatdata";
  for (int i = 1; i <= 12; ++i) FairePrefixe(compat / std::to_string(1000 + i) / "pfx");
  fs::create_directories(compat / "0");
  EXPECT_NE(Refus(compat).find("(1001/pfx, 1002/pfx, 1003/pfx, 1004/pfx, 1005/pfx, 1006/pfx, "
                               "1007/pfx, 1008/pfx, 1009/pfx, 1010/pfx et 2 autres)"),
            std::string::npos);
  EXPECT_EQ(os::prefixesWithin(compat / "1001"), std::vector<std::string>{"pfx"});
}

TEST_F(DossierPrefixeTest, PrefixesMissingAndEmptyFoldersAreAccepted) {
  // Missing or empty: the program's own fresh profile.
  const auto nouveau = [](const fs::path& dossier) {
    bool cree = false;
    os::Drive::own(dossier, &cree);
    return cree;
  };
  EXPECT_TRUE(nouveau(racine_ / "neuf"));
  EXPECT_TRUE(fs::is_directory(racine_ / "neuf/drive_c"));
  EXPECT_FALSE(nouveau(racine_ / "neuf"));  // made once
  fs::create_directory(racine_ / "vide");
  EXPECT_TRUE(nouveau(racine_ / "vide"));
  // A first start cut short before drive C was made leaves only its marker.
  fs::create_directory(racine_ / "coupe");
  Ecrire(racine_ / "coupe/.first-start", "");
  EXPECT_TRUE(nouveau(racine_ / "coupe"));
  // Any folder holding drive_c or a hive.
  for (const char* present : {"drive_c/", "system.reg", "user.reg"}) {
    const fs::path p = racine_ / "avec" / present;
    if (p.filename().empty()) {
      fs::create_directories(p);
    } else {
      Ecrire(p, "WINE REGISTRY Version 2\n");
    }
    EXPECT_NO_THROW(os::checkPrefixFolder(racine_ / "avec")) << present;
    fs::remove_all(racine_ / "avec");
  }
  EXPECT_TRUE(os::winePrefixId(FairePrefixe(racine_ / "wine")));
  EXPECT_FALSE(os::winePrefixId(racine_ / "vide"));
}

}  // namespace
