// The choices composed in memory for a prefix without options of its own: the plan a validation
// would give on the same drive, and nothing written into it.
#include <filesystem>

#include "Environnement.h"
#include "tests/support/Etat.h"
#include "tests/support/Tirages.h"

namespace {

std::string Texte(const TPlanMenage& p) {
  std::string t;
  for (const std::string& e : p.TableDossiers) t += e + '|';
  for (const std::string& e : p.TableRegistre) t += e + '|';
  for (const std::string& e : p.TableMotifs) t += e + '|';
  return t;
}

class EnMemoire : public EnvironnementOptions,
                  public ::testing::WithParamInterface<int>,
                  public Tirages {};

// Random choices, masks and shell folders (missing, empty, with a variable); in some drives a
// mask that is refused, or a shell folder of the wrong type or that the file would not give back,
// or on Linux a hive that cannot be read.
TEST_P(EnMemoire, GivesTheValidationsPlanAndWritesNothing) {
  alea.seed(static_cast<unsigned>(GetParam()));
  const std::vector<std::pair<std::uint32_t, std::string>> valeurs = {
      {os::reg::Sz, "C:\\Profil\\Cache"},
      {os::reg::ExpandSz, "%USERPROFILE%\\Cookies"},
      {os::reg::Sz, ""},
      {os::reg::Sz, "C:\\Été\\l'histoire \"1\""}};
  const std::vector<std::pair<std::uint32_t, std::string>> refusees = {
      {os::reg::Dword, std::string("\1\0\0", 3)},
      {os::reg::Sz, " C:\\Blanc"},
      {os::reg::Sz, "C:\\Ligne\r\nxt1=*.doc"}};
  auto cle = ShellFolders();
  for (const char* nom : {"Cache", "History", "Recent", "Cookies"}) {
    const auto& [type, texte] = Pile(12) ? Un(refusees) : Un(valeurs);
    if (Pile(4)) {
      cle.deleteValue(nom);
    } else {
      cle.setValue(nom, type, texte + '\0');
    }
  }
#ifndef _WIN32
  if (Pile(12)) Ecrire(prefixe / "user.reg", "ceci n'est pas une ruche\n");
#endif
  if (Pile(3)) std::filesystem::remove(dossier);  // the program's folder is not made yet
  if (Pile(4)) std::filesystem::remove(temporaire.Hote("C:\\windows\\SYSBCKUP"));
  ChoixOptions choix{};
  for (bool& c : choix) c = Pile(2);
  const std::vector<std::string> morceaux = {"*.log", " *.a ",  "\"*.q\"", "rapport?.doc",
                                             "",      "Erreur", "*.~*",    "été*"};
  const std::vector<std::string> refuses = {"*", "*.*", "a/b", "x\ny",
                                            std::string(1030, 'a') + ".tmp"};
  std::string masques;
  for (std::size_t n = Hasard(14); n > 0; --n) {
    masques += (Pile(20) ? Un(refuses) : Un(morceaux)) + (n > 1 ? ";" : "");
  }

  const auto avant = Etat(prefixe);
  std::vector<std::string> lignes;
  const std::string refus =
      Echec([&] { lignes = ComposerOptions(lecteur, choix, masques, Composition::EnMemoire); });
  EXPECT_EQ(Etat(prefixe), avant) << "composed in memory, written into the drive";
  const std::string masqueRefuse = Echec([&] { VerifierMasques(masques); });
  if (!masqueRefuse.empty() || refus.starts_with("Masque refusé")) {
    EXPECT_EQ(masqueRefuse, refus);
  }
  EXPECT_EQ(Echec([&] { Valider(choix, masques); }), refus);
  if (!refus.empty()) return;
  TPlanMenage composee, validee;
  LireLignes(lignes, composee);
  LireOptions(lecteur, validee);
  EXPECT_EQ(Texte(composee), Texte(validee)) << masques;
}

INSTANTIATE_TEST_SUITE_P(Graines, EnMemoire, ::testing::Range(1, 41));

using SansShellFolders = EnvironnementOptions;

// A hive without the Shell Folders key: composed in memory, the choices neither make the key nor
// write anything.
TEST_F(SansShellFolders, NiCleNiFichier_Linux) {
  Ecrire(prefixe / "user.reg", "WINE REGISTRY Version 2\n");
  std::filesystem::remove(dossier);
  const auto avant = Etat(prefixe);
  const ChoixOptions tout = Cases({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17});
  ComposerOptions(lecteur, tout, "*.a", Composition::EnMemoire);
  EXPECT_EQ(Etat(prefixe), avant);
  EXPECT_FALSE(
      lecteur.openKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"));
  // Without the key the recent-search line is kept, as a validation keeps it.
  const std::vector<std::string> lignes =
      ComposerOptions(lecteur, tout, "*.a", Composition::EnMemoire);
  Valider(tout, "*.a");
  TPlanMenage composee, validee;
  LireLignes(lignes, composee);
  LireOptions(lecteur, validee);
  EXPECT_EQ(Texte(composee), Texte(validee));
}

}  // namespace
