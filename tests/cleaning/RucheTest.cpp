// Purges against the hive file itself (Linux): many values written to user.reg, and another
// process (fork) writing to the same key during the run; a Wine program starting in the prefix
// during the run stops it before the registry.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "platform/Registry.h"
#include "tests/cleaning/Environnement.h"
#include "tests/support/Systeme.h"
#include "tests/support/Temporaire.h"

namespace {

using Menage = EnvironnementMenage;
using ::testing::ElementsAre;
using Liste = std::vector<std::string>;

// Purges of many values (their speed is measured by bench/run purge), and another process
// writing to the same key during the run keeps its values while no purged one comes back.
TEST_F(Menage, PurgesOfManyValuesLoseNoOtherWriter_Linux) {
  constexpr int kNombre = 10000;
  std::string ruche = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\";
  ruche += std::string(kAdresses + 1) + "]\n\"URL1\"=\"http://x\"\n";
  for (int n = 2; n <= kNombre; ++n) ruche += "\"url" + std::to_string(n) + "\"=\"http://x\"\n";
  ruche += "\"url" + std::to_string(kNombre + 2) + "\"=\"http://x\"\n";  // after the gap
  ruche += std::string("[HKEY_CURRENT_USER\\") + (kRecherches + 1) + "]\n";
  for (int n = 1; n <= kNombre; ++n) ruche += "\"" + std::to_string(n) + "\"=\"*.doc\"\n";
  std::ofstream(prefixe / "user.reg", std::ios::trunc) << ruche;
  plan.TableRegistre[0] = kRecherches;
  plan.TableRegistre[1] = kAdresses;
  plan.OptionsValidees = true;

  int tube[2];
  ASSERT_EQ(pipe(tube), 0);
  const pid_t fils = fork();
  ASSERT_GE(fils, 0);
  if (fils == 0) {
    int statut = 0;
    try {
      auto cle = lecteur.createKey(kAdresses);
      for (int n = 1; n <= 60; ++n) {
        cle.setString("autre" + std::to_string(n), "x");
        if (n == 1 && write(tube[1], "!", 1) != 1) statut = 2;
      }
    } catch (...) {
      statut = 1;
    }
    _exit(statut);
  }
  char c = 0;
  ASSERT_EQ(read(tube[0], &c, 1), 1);  // the other writer has begun
  // A real run would see the other writer use the prefix, refuse to start and stop between
  // steps: this one starts and goes on all the same, to race it.
  struct SansVerification : TExecutant {
    using TExecutant::TExecutant;
    void Commencer() override {}
    std::optional<std::string> Reverifier() override { return std::nullopt; }
  } sansVerification{lecteur};
  TMenage(scrute, plan, fenetre, sansVerification).Lancer();
  int statut = 0;
  ASSERT_EQ(waitpid(fils, &statut, 0), fils);
  EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 0);
  close(tube[0]);
  close(tube[1]);

  Liste attendus = {"url" + std::to_string(kNombre + 2)};
  for (int n = 1; n <= 60; ++n) attendus.push_back("autre" + std::to_string(n));
  Liste valeurs = Valeurs(kAdresses);
  std::sort(valeurs.begin(), valeurs.end());
  std::sort(attendus.begin(), attendus.end());
  EXPECT_EQ(valeurs, attendus);
  EXPECT_THAT(Valeurs(kRecherches), ElementsAre());
}

// A Wine program (here a copy of sleep under the loader's name) started in the prefix while the
// first pass drains: the run stops as STOPPER stops it, says why, and no later pass, purge or
// folder removal touches anything.
TEST_F(Menage, AWineProgramStartingInThePrefixStopsTheRun_Linux) {
  Creer(cache + "\\c1.htm");
  Creer(historique + "\\h.url");
  Creer(temp + "\\t.txt");
  CreerDossier(temp + "\\vide");
  Creer("C:\\Projets\\p.tmp");
  Creer(sbdr + "\\s.cab");
  lecteur.createKey(kAdresses).setString("url1", "http://x");
  lecteur.createKey(kRecherches).setString("a", "*.doc");
  PlanComplet();
  const std::filesystem::path arbre = DossierTemporaireNeuf("tidora-wine");
  std::filesystem::copy_file("/bin/sleep", arbre / "wine");
  std::vector<std::string> textes = {"WINEPREFIX=" + prefixe.string()};
  for (char** e = environ; *e != nullptr; ++e) textes.emplace_back(*e);
  std::vector<char*> env;
  for (std::string& t : textes) env.push_back(t.data());
  env.push_back(nullptr);
  pid_t wine = -1;
  pendantDrain = [&] {
    if (wine > 0 || scrute.Dossier != cache) return;
    char* argv[] = {const_cast<char*>("sleep"), const_cast<char*>("1000"), nullptr};
    if (::posix_spawn(&wine, (arbre / "wine").c_str(), nullptr, nullptr, argv, env.data()) != 0) {
      wine = 0;
    }
  };
  menage.Lancer();
  if (wine > 0) {
    ::kill(wine, SIGKILL);
    ::waitpid(wine, nullptr, 0);
  }
  EffacerArbre(arbre);
  ASSERT_GT(wine, 0);

  const std::string raison = "Nettoyage arrêté : wine (processus " + std::to_string(wine) +
                             ") s'est mis à utiliser le préfixe";
  EXPECT_EQ(menage.Interruption, raison);
  EXPECT_FALSE(Existe(cache + "\\c1.htm"));  // the pass under way ends
  for (const std::string& f : {historique + "\\h.url", temp + "\\t.txt", temp + "\\vide",
                               std::string("C:\\Projets\\p.tmp"), sbdr + "\\s.cab"}) {
    EXPECT_TRUE(Existe(f)) << f;
  }
  EXPECT_THAT(Valeurs(kAdresses), ElementsAre("url1"));
  EXPECT_THAT(Valeurs(kRecherches), ElementsAre("a"));
  EXPECT_EQ(fenetre.enCours, (Liste{LibellesDossiers[0], "FIN"}));
  EXPECT_EQ(fenetre.messages, Liste{"1 fichiers pour un total de\r1 kO\r" + raison});
  EXPECT_FALSE(menage.EnCours());
}

}  // namespace
