// A run on a user's prefix: no mask pass takes a file of a save location or of a game folder (each
// such file counted once, and listed apart by the preview), no folder pass empties a folder that
// is, holds or lies in one, nor the system's; the temporary folder's pass empties the user's own
// TEMP too, as the profile's registry names it.
#include <gtest/gtest.h>

#include <array>

#include "platform/Mask.h"
#include "platform/Registry.h"
#include "tests/cleaning/Temoin.h"
#include "tests/support/Plateforme.h"

namespace {

const std::string kProfil = "C:\\users\\joueur";
const Liste kJeux = {"C:\\Jeux\\Lutris jeu"};
const Liste kSauvegardes = {"C:\\Sauvegardes perso"};
// A browser keeping its cache among the application data: the cache's pass leaves it.
const std::string kCacheItinerant = kProfil + "\\AppData\\Roaming\\Navigateur\\Cache";

using Sauvegardes = ApercuMenageTest;

TEST_F(Sauvegardes, MasksLeaveThemCountedOnceAFolderPassInThemIsSkipped) {
  Creer(kProfil + "\\Documents\\My Games\\Jeu\\partie.sav.bak", 500);  // two masks match it
  Creer(kProfil + "\\Saved Games\\Jeu\\slot1.bak", 200);
  Creer(kProfil + "\\AppData\\Roaming\\Éditeur\\Jeu\\sauvegarde1.sav.bak", 300);
  Creer(kProfil + "\\AppData\\LocalLow\\Studio\\x.tmp", 10);
  Creer(kJeux[0] + "\\journal.log", 40);
  Creer(kSauvegardes[0] + "\\a.bak", 6);
  Creer(kProfil + "\\AppData\\Roaming\\Microsoft\\Windows\\Recent\\lettre.bak", 3);
  Creer("C:\\Program Files\\Jeu\\vieux.bak", 7);
  Creer(kCacheItinerant + "\\page.bak", 100);
  plan.TableDossiers[0] = kCacheItinerant;
  plan.TableMotifs = {"*.tmp", "*.bak", "*.log", "", "", "", "", "", "", "", "partie*", "*.BAK"};
  plan.OptionsValidees = true;

  const Apercu a = ApercuPuisMenage(kJeux, kSauvegardes, true);

  Liste proteges;
  for (const FichierApercu& f : a.proteges) proteges.push_back(f.chemin + '\t' + f.raison);
  std::sort(proteges.begin(), proteges.end());
  EXPECT_EQ(
      proteges,
      (Liste{"c:\\Jeux\\Lutris jeu\\journal.log\t*.log", "c:\\Sauvegardes perso\\a.bak\t*.bak",
             "c:\\users\\joueur\\AppData\\LocalLow\\Studio\\x.tmp\t*.tmp",
             "c:\\users\\joueur\\AppData\\Roaming\\Navigateur\\Cache\\page.bak\t*.bak",
             "c:\\users\\joueur\\AppData\\Roaming\\Éditeur\\Jeu\\sauvegarde1.sav.bak\t*.bak",
             "c:\\users\\joueur\\Documents\\My Games\\Jeu\\partie.sav.bak\t*.bak",
             "c:\\users\\joueur\\Saved Games\\Jeu\\slot1.bak\t*.bak"}));
  EXPECT_EQ(a.tailleProtegee, 1156u);
  EXPECT_EQ(a.fichiers.size(), 2u);
  EXPECT_EQ(a.resume,
            "2 fichiers pour un total de\r1 kO\r"
            "7 fichiers protégés (sauvegardes et dossiers de jeux) laissés en place\r"
            "Passe « cache d'I.E. » sautée : " +
                kCacheItinerant + " est dans un emplacement de sauvegardes");
  for (const FichierApercu& f : a.proteges) EXPECT_TRUE(Existe(f.chemin)) << f.chemin;
}

// Random profiles: files in every save location (the profile's, the system's, a "SaveGames" or
// "Saves" folder anywhere), in the system's folders, in a launcher's game folder and elsewhere;
// each folder pass and the user's TEMP drawn from sane folders or from folders no pass may empty;
// masks that overlap. What goes, what stays and which passes are skipped is told file by file
// from how the case was built.
class SauvegardesAleatoires : public ApercuAleatoire {};

TEST_P(SauvegardesAleatoires, SurviveEveryMaskAndEveryFolderPass) {
  alea.seed(static_cast<unsigned>(GetParam()));
  const Liste sains = {kProfil + "\\AppData\\Local\\Microsoft\\Windows\\INetCache",
                       kProfil + "\\AppData\\Local\\Microsoft\\Windows\\History",
                       kProfil + "\\AppData\\Roaming\\Microsoft\\Windows\\Recent",
                       kProfil + "\\AppData\\Local\\Microsoft\\Windows\\INetCookies",
                       temp,
                       sbdr};
  const Liste interdits = {kProfil,
                           "C:\\users",
                           "C:\\windows\\system32",
                           "C:\\",
                           kProfil + "\\Documents",
                           "C:\\ProgramData",
                           "c:/USERS/./joueur/AppData",
                           "C:\\Program Files (x86)\\Steam",
                           kCacheItinerant,
                           kJeux[0] + "\\tmp",
                           kProfil + "\\AppData\\Local\\Jeu\\Saved"};
  const Liste tempsSains = {kProfil + "\\AppData\\Local\\Temp", kProfil + "\\Temp"};
  const Liste tempsInterdits = {kProfil + "\\Documents\\My Games\\Temp",
                                "C:\\Program Files\\Jeu\\tmp"};
  // Each folder, and whether its files are anyone's to take: the saves and the game folders not.
  std::vector<std::pair<std::string, bool>> bases = {
      {kProfil + "\\Documents\\My Games\\Jeu", false},
      {kProfil + "\\Saved Games\\Jeu", false},
      {kProfil + "\\AppData\\Roaming\\Studio\\Jeu", false},
      {kProfil + "\\AppData\\LocalLow\\Éditeur", false},
      {kProfil + "\\AppData\\Local\\Jeu", false},
      {kProfil + "\\AppData\\Local\\Jeu\\Saved\\SaveGames", false},
      {kProfil + "\\Temp\\Installateur\\SaveGames", false},
      {"C:\\ProgramData\\Studio", false},
      {kCacheItinerant, false},
      {kJeux[0], false},
      {kSauvegardes[0], false},
      {"C:\\ProgramData\\Package Cache\\x", true},
      {"C:\\Program Files\\Jeu", true},
      {"C:\\windows\\system32", true},
      {"C:\\Projets", true}};
  for (const std::string& d : tempsSains) bases.emplace_back(d, true);
  for (const std::string& d : sains) bases.emplace_back(d, true);
  std::vector<bool> libres;  // by file
  for (const auto& [base, libre] : bases) {
    Remplir(temporaire, base, static_cast<int>(Hasard(2)));
    for (std::size_t i = libres.size(); i < fichiers.size(); ++i) {
      // Below a "Saves" folder the random tree made, a file is a save.
      libres.push_back(libre && fichiers[i].find("\\Saves\\", base.size()) == std::string::npos);
    }
  }
  const bool tempSain = Pile(2);
  const std::string tempUtilisateur = Un(tempSain ? tempsSains : tempsInterdits);
  lecteur.createKey("\\Volatile Environment").setString("USERPROFILE", kProfil);
  lecteur.createKey("\\Environment").setString("TEMP", tempUtilisateur);
  Liste videes, sautees;  // the folders emptied; "key\tfolder" of each pass skipped
  for (std::size_t i = 0; i < sains.size(); ++i) {
    const bool sain = Pile(2);
    plan.TableDossiers[i] = Pile(3) ? "" : sain ? sains[i] : Un(interdits);
    if (plan.TableDossiers[i].empty()) continue;
    const std::string cle = std::array{"Cache", "History", "Recent", "Cookies", "Temp", "Sbdr"}[i];
    if (!sain) sautees.push_back(cle + '\t' + plan.TableDossiers[i]);
    if (sain && i < 5) videes.push_back(plan.TableDossiers[i]);
    if (i != 4) continue;
    (tempSain ? videes : sautees)
        .push_back(tempSain ? tempUtilisateur : "Temp\t" + tempUtilisateur);
  }
  for (std::size_t i = 0; i < kMasques.size(); ++i)
    plan.TableMotifs[i] = Pile(3) ? "" : kMasques[i];
  const Liste libresMasques = {"*.sav", "slot*", "Partie*", "*.BAK", "sauvegarde?.*", "*.cab"};
  for (std::size_t i = 10; i < 14; ++i) plan.TableMotifs[i] = Pile(2) ? Un(libresMasques) : "";
  plan.OptionsValidees = true;

  // A folder pass takes all but "index.dat" and what is no one's to take, the masks take what is
  // anyone's, the first mask that finds a file naming it, and leave the rest; the registry
  // backups' pass takes "*.cab" (when its folder is the sane one).
  const auto sous = [](const std::string& chemin, const std::string& dossier) {
    return !dossier.empty() && os::foldedName(chemin).starts_with(os::foldedName(dossier + "\\"));
  };
  std::set<std::string> partis;
  std::map<std::string, std::string> proteges;  // folded path → the mask naming it
  std::uint64_t tailleProtegee = 0;
  for (std::size_t i = 0; i < fichiers.size(); ++i) {
    const std::string& chemin = fichiers[i];
    const std::string nom = chemin.substr(chemin.rfind('\\') + 1);
    const auto dans = [&](const std::string& d) { return sous(chemin, d); };
    if (nom == "index.dat") continue;
    if (libres[i] && std::any_of(videes.begin(), videes.end(), dans)) {
      partis.insert(os::foldedName(chemin));
      continue;
    }
    const auto masque =
        std::find_if(plan.TableMotifs.begin(), plan.TableMotifs.end(),
                     [&](const std::string& m) { return !m.empty() && os::matchesMask(nom, m); });
    if (masque != plan.TableMotifs.end()) {
      if (libres[i]) {
        partis.insert(os::foldedName(chemin));
      } else {
        proteges.emplace(os::foldedName(chemin), *masque);
        tailleProtegee += tailles[i];
      }
    } else if (libres[i] && plan.TableDossiers[5] == sbdr && dans(sbdr) &&
               os::matchesMask(nom, "*.cab")) {
      partis.insert(os::foldedName(chemin));
    }
  }

  const Apercu a = ApercuPuisMenage(kJeux, kSauvegardes, true);

  std::set<std::string> annonces;
  for (const FichierApercu& f : a.fichiers) annonces.insert(os::foldedName(f.chemin));
  EXPECT_EQ(annonces, partis);
  EXPECT_EQ(a.fichiers.size(), partis.size());
  std::map<std::string, std::string> laisses;
  for (const FichierApercu& f : a.proteges) laisses.emplace(os::foldedName(f.chemin), f.raison);
  EXPECT_EQ(laisses, proteges);
  EXPECT_EQ(a.proteges.size(), proteges.size());
  EXPECT_EQ(a.tailleProtegee, tailleProtegee);
  for (const std::string& f : fichiers) {
    EXPECT_EQ(Existe(f), !partis.contains(os::foldedName(f))) << f;
  }
  // Each skipped pass named, with its folder, in the preview and in the summary.
  Liste dites;
  for (const PasseSautee& p : a.passesSautees) {
    dites.push_back(p.cle + '\t' + p.dossier);
    EXPECT_NE(a.resume.find("sautée : " + p.dossier + " "), std::string::npos) << p.dossier;
  }
  EXPECT_EQ(dites, sautees);
}

INSTANTIATE_TEST_SUITE_P(Graines, SauvegardesAleatoires, ::testing::Range(1, 9));

// The user's own temporary folder, as the profile's registry names it.
class TempUtilisateur : public ApercuMenageTest {
 protected:
  void SetUp() override {
    ApercuMenageTest::SetUp();
    plan.TableDossiers[4] = temp;
    plan.OptionsValidees = true;
    scrute.OnExecute = [this](TScruteDossier& s) { passes.push_back(s.Dossier); };
  }
  // HKCU\Environment TEMP as Wine writes it, or with a variable as newer versions do.
  void Temp(const std::string& valeur, bool variable = false) {
    lecteur.createKey("\\Volatile Environment").setString("USERPROFILE", kProfil);
    auto cle = lecteur.createKey("\\Environment");
    cle.setValue("TEMP", variable ? os::reg::ExpandSz : os::reg::Sz, valeur + '\0');
  }
  // Its files go (the temporary folder's too), the sub-folders it emptied with them, not one
  // that was empty before; it stays.
  void Vide(const std::string& dossier) {
    Creer(temp + "\\a.txt", 10);
    for (const char* f : {"\\crash.dmp", "\\x.tmp", "\\sous\\y.txt", "\\index.dat"})
      Creer(dossier + f, 250);
    CreerDossier(dossier + "\\vide");
    const Apercu a = ApercuPuisMenage();
    EXPECT_EQ(a.nbFichiers, 4u);
    for (const FichierApercu& f : a.fichiers) EXPECT_EQ(f.raison, "Temp") << f.chemin;
    EXPECT_FALSE(Existe(dossier + "\\sous"));
    EXPECT_TRUE(Existe(dossier + "\\vide"));
    EXPECT_TRUE(Existe(dossier + "\\index.dat"));
    EXPECT_TRUE(Existe(temp));
  }
  Liste passes;  // the folder of each of the scanner's passes
};

TEST_F(TempUtilisateur, AsWineWritesItTextOnly) {
  Temp(kProfil + "\\Temp");
  Vide(kProfil + "\\Temp");
}

TEST_F(TempUtilisateur, AsNewerVersionsWriteItWithAVariable) {
  Temp("%USERPROFILE%\\AppData\\Local\\Temp", true);
  Vide(kProfil + "\\AppData\\Local\\Temp");
}

// "Low" right below it, and a folder the system marks as its own, stay emptied; a "Low" deeper
// down is any folder.
TEST_F(TempUtilisateur, TheFoldersTheSystemMakesThereStay) {
  const std::string dossier = kProfil + "\\AppData\\Local\\Temp";
  Temp(dossier);
  for (const char* f :
       {"\\Low\\a.tmp", "\\Low\\sous\\a.tmp", "\\systeme\\a.tmp", "\\x\\low\\a.tmp"})
    Creer(dossier + f);
  try {
    os::testing::setFileAttributes(lecteur, dossier + "\\systeme", os::attr::System);
  } catch (const os::SystemError& e) {
    GTEST_SKIP() << "this file system keeps no attributes: " << e.what();
  }
  const Apercu a = ApercuPuisMenage();
  EXPECT_EQ(
      std::set<std::string>(a.dossiers.begin(), a.dossiers.end()),
      (std::set<std::string>{dossier + "\\Low\\sous", dossier + "\\x\\low", dossier + "\\x"}));
}

// The temporary folder itself, under any spelling, is emptied once; a TEMP that names no folder
// called Temp or Tmp (a profile, its documents) or one off drive C is left alone, and so is every
// TEMP when the choice is off.
TEST_F(TempUtilisateur, OnceWhenItIsTheTemporaryFolderNeverAnotherFolder) {
  CreerDossier(kProfil + "\\Temp");
  for (const std::string& d : {kProfil, kProfil + "\\Documents", std::string("C:\\Projets")})
    Creer(d + "\\garde.txt");
  const std::vector<std::pair<std::string, Liste>> cas = {
      {"%SystemRoot%\\TEMP", {temp}},
      {"C:\\WINDOWS\\Temp\\", {temp}},
      {"%USERPROFILE%", {temp}},
      {kProfil + "\\Documents", {temp}},
      {"C:\\Projets", {temp}},
      {"D:\\Temp", {temp}},
      {"%INCONNUE%\\Temp", {temp}},
      {kProfil + "\\Temp\\..", {temp}},
      {kProfil + "\\Temp", {temp, kProfil + "\\Temp"}},
  };
  for (const auto& [valeur, attendues] : cas) {
    Temp(valeur, true);
    passes.clear();
    menage.Lancer();
    EXPECT_EQ(passes, attendues) << valeur;
  }
  plan.TableDossiers[4].clear();
  passes.clear();
  menage.Lancer();
  EXPECT_EQ(passes, Liste{});
  for (const std::string& d : {kProfil, kProfil + "\\Documents", std::string("C:\\Projets")})
    EXPECT_TRUE(Existe(d + "\\garde.txt")) << d;
}

}  // namespace
