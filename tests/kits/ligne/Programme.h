#pragma once
// The real program started with a fake home, fake XDG folders and no display, in the test's
// folder (a relative target is read from there), its output kept: standard output to a file, a
// closed one, a full device, or a terminal of its own (a pseudo-terminal).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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

// Where the program's standard output goes.
enum class Vers { Fichier, Fermee, Pleine };

class ProgrammeTest : public FauxFoyer {
 protected:
  // The environment of every run: only the fake home, its XDG folders and the path.
  std::vector<std::string> Environnement(const std::vector<std::string>& plus) const {
    std::vector<std::string> env{"HOME=" + Home().string(),
                                 "XDG_DATA_HOME=" + (racine_ / "xdg/data").string(),
                                 "XDG_CONFIG_HOME=" + (racine_ / "xdg/config").string(),
                                 "XDG_RUNTIME_DIR=" + racine_.string(),
                                 "PATH=/usr/bin:/bin",
                                 "LANG=C.UTF-8",
                                 "TMPDIR=" + racine_.string()};
    env.insert(env.end(), plus.begin(), plus.end());
    return env;
  }
  // Starts `programme` with `arguments` in the test's folder; its standard output goes where
  // `vers` says (a file of the test's folder unless `terminal` is a descriptor to use), its
  // standard error to a file of the test's folder.
  pid_t Demarrer(const std::vector<std::string>& arguments, const std::vector<std::string>& plus,
                 const std::string& programme = TIDORA_PROGRAMME, Vers vers = Vers::Fichier,
                 int terminal = -1) {
    std::vector<std::string> textes = Environnement(plus);
    const std::string sortie = (racine_ / "sortie").string(),
                      erreurs = (racine_ / "erreurs").string();
    const std::string dossier = racine_.string();
    const pid_t pid = ::fork();
    if (pid == 0) {
      std::vector<char*> argv{const_cast<char*>(programme.c_str())};
      for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      std::vector<char*> envp;
      for (std::string& t : textes) envp.push_back(t.data());
      envp.push_back(nullptr);
      // Standard error first: with standard output closed, no other file may take its place.
      ::dup2(::open(erreurs.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
      if (terminal >= 0) {
        ::setsid();
        ::ioctl(terminal, TIOCSCTTY, 0);
        ::dup2(terminal, 1);
      } else if (vers == Vers::Fermee) {
        ::close(1);
      } else {
        const std::string cible = vers == Vers::Pleine ? "/dev/full" : sortie;
        ::dup2(::open(cible.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
      }
      if (::chdir(dossier.c_str()) != 0) ::_exit(126);
      ::execve(programme.c_str(), argv.data(), envp.data());
      ::_exit(127);
    }
    return pid;
  }
  Sortie Lancer(const std::vector<std::string>& arguments,
                const std::vector<std::string>& plus = {}, Vers vers = Vers::Fichier) {
    Sortie s;
    ::unlink((racine_ / "sortie").c_str());
    s.code = Attendre(Demarrer(arguments, plus, TIDORA_PROGRAMME, vers));
    s.sortie = Lire(racine_ / "sortie");
    s.erreurs = Lire(racine_ / "erreurs");
    return s;
  }
  // The program with a terminal of its own, 100 columns wide, as its standard output: what it
  // wrote there, as the terminal got it ("\n" made "\r\n").
  Sortie SurTerminal(const std::vector<std::string>& arguments,
                     const std::vector<std::string>& plus = {}) {
    Sortie s;
    int maitre = -1, esclave = -1;
    winsize taille{};
    taille.ws_col = 100;
    taille.ws_row = 30;
    if (::openpty(&maitre, &esclave, nullptr, nullptr, &taille) != 0) {
      ADD_FAILURE() << "pas de pseudo-terminal";
      return s;
    }
    const pid_t pid = Demarrer(arguments, plus, TIDORA_PROGRAMME, Vers::Fichier, esclave);
    ::close(esclave);
    // Read until the program is gone and the terminal is drained (EIO once no one holds it).
    char tampon[4096];
    for (;;) {
      pollfd p{maitre, POLLIN, 0};
      if (::poll(&p, 1, 30000) <= 0) break;
      const ssize_t n = ::read(maitre, tampon, sizeof tampon);
      if (n <= 0) break;
      s.sortie.append(tampon, static_cast<std::size_t>(n));
    }
    ::close(maitre);
    s.code = Attendre(pid);
    s.erreurs = Lire(racine_ / "erreurs");
    return s;
  }
  static int Attendre(pid_t pid) {
    int etat = 0;
    ::waitpid(pid, &etat, 0);
    return WIFEXITED(etat) ? WEXITSTATUS(etat) : 128 + WTERMSIG(etat);
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
  // A Steam game's prefix in the library `bibliotheque`, named by its manifest there.
  std::filesystem::path JeuSteam(const std::filesystem::path& bibliotheque,
                                 const std::string& appid, const std::string& nom) {
    const std::filesystem::path apps = bibliotheque / "steamapps";
    Ecrire(apps / ("appmanifest_" + appid + ".acf"), "\"AppState\"\n{\n\t\"appid\"\t\t\"" + appid +
                                                         "\"\n\t\"name\"\t\t\"" + nom +
                                                         "\"\n\t\"installdir\"\t\t\"jeu\"\n}\n");
    return FairePrefixe(apps / "compatdata" / appid / "pfx");
  }
  // The user's Steam, where JeuSteam puts games by default.
  std::filesystem::path Steam() const { return Home() / ".local/share/Steam"; }
};

// True when `texte` can go to a terminal as it is: valid UTF-8 with no control character but
// line feeds and tabs (no escape, no C1 control, no carriage return).
inline bool Inoffensif(std::string_view texte) {
  for (std::size_t i = 0; i < texte.size();) {
    const auto b = static_cast<unsigned char>(texte[i]);
    std::size_t n = b < 0x80                 ? 1
                    : b >= 0xC2 && b <= 0xDF ? 2
                    : b >= 0xE0 && b <= 0xEF ? 3
                    : b >= 0xF0 && b <= 0xF4 ? 4
                                             : 0;
    if (n == 0 || i + n > texte.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(texte[i + k]) & 0xC0) != 0x80) return false;
    }
    if (n == 1 && ((b < 0x20 && b != '\n' && b != '\t') || b == 0x7F)) return false;
    if (n == 2 && b == 0xC2 && static_cast<unsigned char>(texte[i + 1]) < 0xA0) return false;
    i += n;
  }
  return true;
}
