// Purges against the hive file itself (Linux): many values written to user.reg, and another
// process (fork) writing to the same key during the run.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "platform/Registry.h"
#include "tests/cleaning/Environnement.h"

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
  // A real run would see the other writer use the prefix and refuse to start: this one starts
  // all the same, to race it.
  struct SansVerification : TExecutant {
    using TExecutant::TExecutant;
    void Commencer() override {}
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

}  // namespace
