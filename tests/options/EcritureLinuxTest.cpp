// Writing "options.ini" where only Linux can set the scene: a full disk made with the host's
// file-size limit, a pipe or a link in the file's place, two processes (fork) saving at once, a
// wineserver running on the prefix.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Environnement.h"
#include "tests/platform/FakeWineServer.h"

using Ecriture = EnvironnementOptions;

TEST_F(Ecriture, DisquePleinLaisseLAncienFichierEntier_Linux) {
  Ecrire(fichier, "ancien");
  const pid_t fils = fork();
  ASSERT_GE(fils, 0);
  if (fils == 0) {
    // In a child of its own, so that the size limit holds even for root and ends with it.
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limite{8, 8};
    setrlimit(RLIMIT_FSIZE, &limite);
    const std::string message = Echec([&] { Valider(Cases({9, 10, 11}), ""); });
    _exit(message == "Erreur d'écriture dans le flux" ? 0 : 1);
  }
  int statut = 0;
  ASSERT_EQ(waitpid(fils, &statut, 0), fils);
  ASSERT_TRUE(WIFEXITED(statut));
  EXPECT_EQ(WEXITSTATUS(statut), 0);
  EXPECT_EQ(Lire(fichier), "ancien");
  EXPECT_EQ(Contenu(), FichierSeul);
}

// A pipe in the file's place is neither read nor replaced, and nothing waits on it.
TEST_F(Ecriture, TubeNonRemplace_Linux) {
  ASSERT_EQ(mkfifo(fichier.c_str(), 0666), 0);
  alarm(30);  // a blocked call ends the test program
  TPlanMenage plan;
  plan.TableMotifs[0] = "*.x";
  LireOptions(lecteur, plan);
  EXPECT_EQ(plan.TableMotifs[0], "");
  EXPECT_EQ(Echec([&] { Valider(Cases({9}), ""); }), "Ne peut créer le fichier " + Chemin());
  alarm(0);
  EXPECT_TRUE(std::filesystem::is_fifo(fichier));
  EXPECT_EQ(Contenu(), FichierSeul);
}

// Two programs validating at once: each save is whole, the last one wins, none fails.
TEST_F(Ecriture, DeuxProgrammesQuiValidentEnsembleNeMelangentRien_Linux) {
  const std::string textes[2] = {Vide + "xt11=" + std::string(1000, 'a') + "\r\n",
                                 Vide + "xt11=b\r\nxt12=" + std::string(1000, 'b') + "\r\n"};
  pid_t fils[2];
  for (int n = 0; n < 2; ++n) {
    fils[n] = fork();
    ASSERT_GE(fils[n], 0);
    if (fils[n] == 0) {
      const std::string masques = n == 0 ? std::string(1000, 'a') : "b;" + std::string(1000, 'b');
      for (int i = 0; i < 150; ++i) {
        if (!Echec([&] { Valider({}, masques); }).empty()) _exit(1);
        const std::string lu = Lire(fichier);
        if (lu != textes[0] && lu != textes[1]) _exit(2);
      }
      _exit(0);
    }
  }
  for (const pid_t f : fils) {
    int statut = 0;
    ASSERT_EQ(waitpid(f, &statut, 0), f);
    EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 0) << statut;
  }
  const std::string lu = Lire(fichier);
  EXPECT_TRUE(lu == textes[0] || lu == textes[1]);
  EXPECT_EQ(Contenu(), FichierSeul);
}

// A link or a FIFO in the file's place is neither written through nor waited on.
TEST_F(Ecriture, LienOuTubeALaPlaceDuFichier_Linux) {
  const std::filesystem::path dehors = prefixe / "dehors.ini";
  Ecrire(dehors, "dehors");
  alarm(30);  // a blocked call ends the test program
  for (const bool tube : {true, false}) {
    if (tube) {
      ASSERT_EQ(mkfifo(fichier.c_str(), 0666), 0);
    } else {
      std::filesystem::create_symlink(dehors, fichier);
    }
    EXPECT_EQ(Echec([&] { Valider(Cases({9}), ""); }), "Ne peut créer le fichier " + Chemin())
        << (tube ? "tube" : "lien");
    EXPECT_EQ(Contenu(), FichierSeul);
    std::filesystem::remove(fichier);
  }
  alarm(0);
  EXPECT_EQ(Lire(dehors), "dehors");
}

// A validation that writes nothing to user.reg (the Shell Folders key is there) is not refused
// because Wine runs on the prefix; one that must create that key is, and saves nothing.
TEST_F(Ecriture, ValidationSansEcritureDuRegistrePendantQueWineTourne_Linux) {
  const std::string ruche = Lire(prefixe / "user.reg");
  {
    FakeWineServer serveur(prefixe);
    ASSERT_TRUE(serveur.started());
    EXPECT_EQ(Echec([&] { Valider(Cases({1, 2, 3, 4, 5, 6, 9}), "*.x"); }), "");
    EXPECT_NE(Lire(fichier).find("Cache=C:\\users\\"), std::string::npos);
    EXPECT_EQ(Lire(prefixe / "user.reg"), ruche);
  }
  Ecrire(fichier, "ancien");
  Ecrire(prefixe / "user.reg", "WINE REGISTRY Version 2\n\n[Software\\\\Autre] 1\n\"a\"=\"b\"\n");
  FakeWineServer serveur(prefixe);
  ASSERT_TRUE(serveur.started());
  EXPECT_NE(Echec([&] { Valider(Cases({1, 9}), ""); }).find("Wine l'utilise"), std::string::npos);
  EXPECT_EQ(Lire(fichier), "ancien");
}
