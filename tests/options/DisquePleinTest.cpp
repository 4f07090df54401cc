// A full disk while "options.ini" is written, made with the host's file-size limit (Linux).
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Environnement.h"

using Ecriture = EnvironnementOptions;

namespace {

template <typename F>
std::string Echec(F action) {
  try {
    action();
  } catch (const ErreurOptions& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST_F(Ecriture, DisquePleinLaisseLAncienFichierEntier_Linux) {
  Ecrire(fichier, "ancien");
  const pid_t fils = fork();
  ASSERT_GE(fils, 0);
  if (fils == 0) {
    // In a child of its own, so that the size limit holds even for root and ends with it.
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limite{8, 8};
    setrlimit(RLIMIT_FSIZE, &limite);
    const std::string message = Echec([] { Valider(Cases({9, 10, 11}), ""); });
    _exit(message == "Erreur d'écriture dans le flux" ? 0 : 1);
  }
  int statut = 0;
  ASSERT_EQ(waitpid(fils, &statut, 0), fils);
  ASSERT_TRUE(WIFEXITED(statut));
  EXPECT_EQ(WEXITSTATUS(statut), 0);
  EXPECT_EQ(Lire(fichier), "ancien");
  EXPECT_EQ(Contenu(), "options.ini ");
}
