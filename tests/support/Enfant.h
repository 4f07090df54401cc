#pragma once
// A child process made for a test (Linux): one that prepares something (a file held open, a
// folder to work in) under a name of its own, or a program started with more environment; it
// is killed when the object dies.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

// A child process that does `preparer`, takes the name `nom`, then waits to be killed.
class Enfant {
 public:
  Enfant(const char* nom, const std::function<bool()>& preparer) {
    int pret[2];
    if (::pipe(pret) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::prctl(PR_SET_NAME, nom);
      const bool ok = preparer();
      (void)!::write(pret[1], ok ? "1" : "0", 1);
      for (;;) ::pause();
    }
    ::close(pret[1]);
    char c = '0';
    pret_ = pid_ > 0 && ::read(pret[0], &c, 1) == 1 && c == '1';
    ::close(pret[0]);
  }
  // The program `programme` (a "sleep": its argument is 1000) started with `environnement` added
  // to this one's.
  Enfant(const char* programme, const std::vector<std::string>& environnement) {
    std::vector<std::string> textes = environnement;
    for (char** e = environ; *e != nullptr; ++e) textes.emplace_back(*e);
    std::vector<char*> env;
    for (std::string& t : textes) env.push_back(t.data());
    env.push_back(nullptr);
    char* argv[] = {const_cast<char*>(programme), const_cast<char*>("1000"), nullptr};
    pret_ = ::posix_spawn(&pid_, programme, nullptr, nullptr, argv, env.data()) == 0;
    // Until the new program runs, the child still shows this one's environment and name; the
    // kernel gives the new name last.
    for (int i = 0; pret_ && i < 1000 && Nom(pid_) != "sleep"; ++i) ::usleep(2000);
  }
  Enfant(const Enfant&) = delete;
  Enfant& operator=(const Enfant&) = delete;
  ~Enfant() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  bool pret() const { return pret_; }
  pid_t pid() const { return pid_; }

 private:
  // The process's name as the kernel gives it.
  static std::string Nom(pid_t pid) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/comm");
    std::string nom;
    std::getline(f, nom);
    return nom;
  }

  pid_t pid_ = -1;
  bool pret_ = false;
};
