#pragma once
// The real program started with a fake home, fake XDG folders and no display, its output kept.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/prefixes/FauxFoyer.h"

struct Sortie {
  int code = -1;
  std::string sortie, erreurs;
};

class ProgrammeTest : public FauxFoyer {
 protected:
  // The environment of every run: only the fake home, its XDG folders and the path.
  std::vector<std::string> Environnement(const std::vector<std::string>& plus) const {
    std::vector<std::string> env{"HOME=" + Home().string(),
                                 "XDG_DATA_HOME=" + (racine_ / "xdg/data").string(),
                                 "XDG_CONFIG_HOME=" + (racine_ / "xdg/config").string(),
                                 "XDG_RUNTIME_DIR=" + racine_.string(), "PATH=/usr/bin:/bin",
                                 "LANG=C.UTF-8", "TMPDIR=" + racine_.string()};
    env.insert(env.end(), plus.begin(), plus.end());
    return env;
  }
  // Starts `programme` with `arguments`; its output goes to files of the test's folder.
  pid_t Demarrer(const std::vector<std::string>& arguments, const std::vector<std::string>& plus,
                 const std::string& programme = TIDORA_PROGRAMME) {
    std::vector<std::string> textes = Environnement(plus);
    const std::string sortie = (racine_ / "sortie").string(), erreurs = (racine_ / "erreurs").string();
    const pid_t pid = ::fork();
    if (pid == 0) {
      std::vector<char*> argv{const_cast<char*>(programme.c_str())};
      for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      std::vector<char*> envp;
      for (std::string& t : textes) envp.push_back(t.data());
      envp.push_back(nullptr);
      ::dup2(::open(sortie.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
      ::dup2(::open(erreurs.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
      ::execve(programme.c_str(), argv.data(), envp.data());
      ::_exit(127);
    }
    return pid;
  }
  Sortie Lancer(const std::vector<std::string>& arguments, const std::vector<std::string>& plus = {}) {
    Sortie s;
    int etat = 0;
    ::waitpid(Demarrer(arguments, plus), &etat, 0);
    s.code = WIFEXITED(etat) ? WEXITSTATUS(etat) : 128 + WTERMSIG(etat);
    s.sortie = Lire(racine_ / "sortie");
    s.erreurs = Lire(racine_ / "erreurs");
    return s;
  }
  static std::string Lire(const std::filesystem::path& f) {
    std::ifstream in(f, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static std::uint64_t Du(const std::filesystem::path& dossier) {
    FILE* f = ::popen(("du -s -B1 '" + dossier.string() + "'").c_str(), "r");
    unsigned long long octets = 0;
    if (f != nullptr && std::fscanf(f, "%llu", &octets) != 1) octets = 0;
    if (f != nullptr) ::pclose(f);
    return octets;
  }
};
