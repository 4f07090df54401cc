// What a user leaves out of one run and what the user keeps for good, held by the folder's
// identity and the exact name whatever case the registry spells a folder in; the keep list saved
// with the common choices and read back.
#include <gtest/gtest.h>

#include "FauxFoyer.h"
#include "prefixes/ApercuPrefixe.h"
#include "prefixes/Choix.h"
#include "prefixes/NettoyagePrefixe.h"

namespace fs = std::filesystem;

namespace {

struct Muette : IFenetreMenage {
  void AfficherEnCours(const std::string&) override {}
  void AfficherNbFichiers(const std::string&) override {}
  void AfficherTaille(const std::string&) override {}
  void MontrerOptions() override {}
  void Message(const std::string&) override {}
};

class GarderTest : public FauxFoyer {
 protected:
  void SetUp() override {
    FauxFoyer::SetUp();
    pfx_ = FairePrefixe(racine_ / "pfx");
    // The registry spells the user's TEMP in another case than the disk.
    Ecrire(pfx_ / "user.reg",
           "WINE REGISTRY Version 2\n\n[Environment] 1700000000\n"
           "\"TEMP\"=\"c:\\\\USERS\\\\SteamUser\\\\tEmP\"\n");
  }
  fs::path Temp(const std::string& nom) const {
    return pfx_ / "drive_c/users/steamuser/Temp" / nom;
  }
  static std::multiset<std::string> Noms(const std::vector<FichierApercu>& fichiers) {
    std::multiset<std::string> noms;
    for (const FichierApercu& f : fichiers) noms.insert(fs::path(f.hote).filename().string());
    return noms;
  }
  BilanNettoyage Nettoyer(const ChoixCommuns& choix, std::set<FichierRepere> laisses = {}) {
    Muette fenetre;
    const PrefixeOuvert p = OuvrirPrefixe(pfx_, {}, choix);
    NettoyagePrefixe nettoyage(p, fenetre, std::move(laisses));
    return nettoyage.Lancer();
  }
  fs::path pfx_;
};

// b.tmp is met twice: by the TEMP pass through the registry's spelling, then by the *.tmp pass
// through the disk's.
TEST_F(GarderTest, AFileLeftOutStaysWhateverCaseTheRegistrySpellsItsFolderIn) {
  for (const char* f : {"a.tmp", "b.tmp", "c.txt"}) Ecrire(Temp(f), f);
  const ChoixCommuns choix = ChoixParDefaut();
  const Apercu a = ApercuPrefixe(OuvrirPrefixe(pfx_, {}, choix));
  std::set<FichierRepere> laisses;
  for (const FichierApercu& f : a.fichiers) {
    EXPECT_NE(f.chemin.find("\\USERS\\SteamUser\\tEmP\\"), std::string::npos) << f.chemin;
    if (fs::path(f.hote).filename() == "b.tmp") laisses.insert(f.Repere());
  }
  ASSERT_EQ(Noms(a.fichiers), (std::multiset<std::string>{"a.tmp", "b.tmp", "c.txt"}));
  const BilanNettoyage b = Nettoyer(choix, laisses);
  EXPECT_EQ(b.nbFichiers, 2u);
  EXPECT_TRUE(fs::exists(Temp("b.tmp")));
  EXPECT_FALSE(fs::exists(Temp("a.tmp")) || fs::exists(Temp("c.txt")));
}

TEST_F(GarderTest, TheKeepListIsNamedSavedAndReadBack) {
  const std::string lecteur = (pfx_ / "drive_c").string();
  Ecrire(pfx_ / "drive_c/users/steamuser/Documents/partie.sav", "s");
  struct Cas {
    std::string texte;
    ElementGarde attendu;  // no path: refused
  };
  const Cas cas[] = {
      {"C:\\users\\moi\\notes.txt", {{}, "C:\\users\\moi\\notes.txt"}},
      {"c:/users//moi/./x/../notes.txt", {{}, "C:\\users\\moi\\notes.txt"}},
      {lecteur + "/users/steamuser/Documents/partie.sav",
       {pfx_, "C:\\users\\steamuser\\Documents\\partie.sav"}},
      {lecteur + "/users/steamuser/", {pfx_, "C:\\users\\steamuser"}},
      {"C:\\", {}},
      {lecteur, {}},
      {lecteur + "/absent.txt", {}},
      {Home().string(), {}},
  };
  for (const Cas& c : cas) {
    if (c.attendu.chemin.empty()) {
      EXPECT_THROW(ElementGardeDe(c.texte, true), ErreurGarde) << c.texte;
    } else {
      EXPECT_EQ(ElementGardeDe(c.texte, true), c.attendu) << c.texte;
    }
  }
  ChoixCommuns choix = ChoixParDefaut();
  choix.gardes = {{{}, "C:\\users\\moi\\100% |utile|"},
                  {racine_ / "un|dossier%\nbizarre", "C:\\x"}};
  EnregistrerChoix(maison_, choix);
  EXPECT_EQ(LireChoix(maison_), choix);
  for (const char* ligne : {"Garde=*", "Garde=relatif|C:\\x", "Garde=*|D:\\x", "Garde=*|C:\\",
                            "Autre=*|C:\\x", "Garde=*|C:\\%zz"}) {
    EnregistrerChoix(maison_, ChoixParDefaut());
    std::ofstream(FichierChoix(maison_), std::ios::app) << "[Garder]\n" << ligne << '\n';
    EXPECT_THROW(LireChoix(maison_), ErreurChoix) << ligne;
  }
}

// Kept files and folders, named in any case, through a link to the prefix or for every prefix:
// the preview shows them apart, each once, and the run leaves them and the folders below a kept
// one; what another prefix keeps and a path that leads nowhere change nothing.
TEST_F(GarderTest, ARunAndItsPreviewLeaveWhatIsKept) {
  Ecrire(Temp("garde/f1.tmp"), "1");
  fs::create_directories(Temp("garde/vide"));
  fs::create_directories(Temp("vide-gardee"));
  Ecrire(Temp("x.tmp"), "xx");
  Ecrire(pfx_ / "drive_c/windows/temp/k.tmp", "kkk");
  Ecrire(pfx_ / "drive_c/windows/temp/y.txt", "y");
  const fs::path autre = FairePrefixe(racine_ / "autre");
  ASSERT_TRUE(LienDossier(pfx_, racine_ / "lien"));
  ChoixCommuns choix = ChoixParDefaut();
  choix.gardes = {{{}, "C:\\USERS\\STEAMUSER\\TEMP\\GARDE"},
                  {racine_ / "lien", "C:\\Windows\\Temp\\K.TMP"},
                  {pfx_, "C:\\users\\steamuser\\Temp\\vide-gardee"},
                  {autre, "C:\\windows\\temp\\y.txt"},
                  {{}, "C:\\nulle\\part.txt"}};
  const Apercu a = ApercuPrefixe(OuvrirPrefixe(pfx_, {}, choix));
  EXPECT_EQ(Noms(a.gardes), (std::multiset<std::string>{"f1.tmp", "k.tmp"}));
  EXPECT_EQ(a.tailleGardee, 4u);
  EXPECT_EQ(Noms(a.fichiers), (std::multiset<std::string>{"x.tmp", "y.txt"}));
  EXPECT_NE(a.resume.find("2 fichiers gardés laissés en place"), std::string::npos) << a.resume;
  const BilanNettoyage b = Nettoyer(choix);
  EXPECT_EQ(b.nbFichiers, a.nbFichiers);
  EXPECT_EQ(b.nbGardes, 2u);
  for (const fs::path& reste : {Temp("garde/f1.tmp"), Temp("garde/vide"), Temp("vide-gardee"),
                                pfx_ / "drive_c/windows/temp/k.tmp"}) {
    EXPECT_TRUE(fs::exists(reste)) << reste;
  }
  EXPECT_FALSE(fs::exists(Temp("x.tmp")) || fs::exists(pfx_ / "drive_c/windows/temp/y.txt"));
}

}  // namespace
