// The folder scanner against find(1) on the same synthetic tree, and its peak memory on a small
// and a large tree. Everything happens in temporary prefixes that are removed at the end.
//
//   bench_scrute [--files=200000] [--folders=4000] [--depth=8] [--small=20000] [--rounds=5]
//                [--quick]
//
// Times: wall clock of one whole scan of drive C with the mask "*.tmp" (in this process) and of
// one `find ROOT -iname '*.tmp'` process (spawn to exit, output to /dev/null); median of the
// rounds, after one warm-up of each. Memory: the peak resident set (VmHWM) of a fresh process
// of this program that only scans (--scan-only), so that building the tree does not count.
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "bench/Commun.h"
#include "scanner/Scrute.h"

extern char** environ;

namespace fs = std::filesystem;
using banc::DossierTemporaire;
using banc::Horloge;
using banc::LecteurC;
using banc::LecteurNeuf;
using banc::Mediane;
using banc::Secondes;

namespace {

// The ratio the scanner must stay under.
constexpr double kCible = 0.8;

struct Reglages {
  long fichiers = 200000;
  long dossiers = 4000;
  int profondeur = 8;
  long petit = 20000;  // files of the small tree (memory comparison)
  int tours = 5;
};

// Builds `fichiers` empty files spread over `dossiers` folders (a random tree no deeper than
// `profondeur` under c:\arbre) with mixed extensions, about one in ten matching "*.tmp".
// Returns how many match "*.tmp".
long ConstruitArbre(const fs::path& c, long fichiers, long dossiers, int profondeur) {
  static constexpr std::array<const char*, 20> kExtensions = {
      ".tmp", ".txt", ".jpg", ".dll", ".log", ".bak", ".doc", ".htm", ".gif",  ".exe",
      ".TMP", ".ini", ".dat", ".png", ".xml", ".css", ".js",  ".cab", ".tmp~", ""};
  std::mt19937 alea(2000);
  struct Dossier {
    std::string chemin;
    int niveau;
  };
  std::vector<Dossier> arbre{{(c / "arbre").string(), 1}};
  std::vector<std::size_t> parents{0};  // folders that may still take a sub-folder
  fs::create_directory(arbre[0].chemin);
  for (long i = 1; i < dossiers; ++i) {
    const std::size_t p = parents[alea() % parents.size()];
    const Dossier d{arbre[p].chemin + "/Dossier" + std::to_string(i), arbre[p].niveau + 1};
    fs::create_directory(d.chemin);
    if (d.niveau < profondeur) parents.push_back(arbre.size());
    arbre.push_back(d);
  }
  long tmp = 0;
  std::string nom;
  for (long i = 0; i < fichiers; ++i) {
    const char* extension = kExtensions[alea() % kExtensions.size()];
    if (std::strcmp(extension, ".tmp") == 0 || std::strcmp(extension, ".TMP") == 0) ++tmp;
    nom = arbre[i % arbre.size()].chemin;
    nom += "/fichier";
    nom += std::to_string(i);
    nom += extension;
    const int fd = open(nom.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) throw std::runtime_error("création impossible : " + nom);
    close(fd);
  }
  return tmp;
}

// One whole scan of drive C of `lecteur` with "*.tmp"; returns the files reported.
long Scrute(TScruteDossier& scrute, const os::Drive& lecteur) {
  long n = 0;
  scrute.Lecteur = &lecteur;
  scrute.Dossier = "c:\\";
  scrute.Filtre = "*.tmp";
  scrute.OnFichier = [&n](TScruteDossier&, const std::string&) { ++n; };
  scrute.Execute();
  return n;
}

// Runs a program to its end with its output sent to `sortie` (a file descriptor, or -1 for
// /dev/null); returns its wall-clock time in seconds.
double Lance(const std::vector<std::string>& arguments, int sortie = -1) {
  std::vector<char*> argv;
  for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (sortie >= 0)
    posix_spawn_file_actions_adddup2(&actions, sortie, STDOUT_FILENO);
  else
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const auto debut = Horloge::now();
  pid_t pid = 0;
  const int erreur = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (erreur != 0) throw std::runtime_error("lancement impossible : " + arguments[0]);
  int statut = 0;
  waitpid(pid, &statut, 0);
  const double duree = Secondes(Horloge::now() - debut);
  if (!WIFEXITED(statut) || WEXITSTATUS(statut) != 0)
    throw std::runtime_error(arguments[0] + " a échoué");
  return duree;
}

// Runs a program and returns what it wrote on its output.
std::string Sortie(const std::vector<std::string>& arguments) {
  std::FILE* tampon = std::tmpfile();
  if (tampon == nullptr) throw std::runtime_error("tmpfile a échoué");
  Lance(arguments, fileno(tampon));
  std::rewind(tampon);
  std::string texte;
  char bloc[4096];
  for (std::size_t n; (n = std::fread(bloc, 1, sizeof bloc, tampon)) > 0;) texte.append(bloc, n);
  std::fclose(tampon);
  return texte;
}

// Peak resident set of this process so far, in KiB.
long PicMemoire() {
  std::ifstream status("/proc/self/status");
  for (std::string ligne; std::getline(status, ligne);)
    if (ligne.rfind("VmHWM:", 0) == 0) return std::stol(ligne.substr(6));
  return -1;
}

struct Memoire {
  long fichiers = 0;  // reported by the scan
  long pic = 0;       // KiB
};

// Peak memory of a fresh process that scans drive C of `prefixe` (or only starts, when empty).
Memoire MemoireScan(const std::string& programme, const std::string& prefixe, int tours) {
  std::vector<double> pics;
  Memoire m;
  for (int i = 0; i < tours; ++i) {
    const std::string texte =
        Sortie(prefixe.empty() ? std::vector<std::string>{programme, "--idle"}
                               : std::vector<std::string>{programme, "--scan-only", prefixe});
    long pic = 0;
    if (std::sscanf(texte.c_str(), "%ld %ld", &m.fichiers, &pic) != 2)
      throw std::runtime_error("sortie illisible : " + texte);
    pics.push_back(double(pic));
  }
  m.pic = long(Mediane(pics));
  return m;
}

bool LitEntier(std::string_view arg, std::string_view nom, long& valeur) {
  if (arg.rfind(nom, 0) != 0) return false;
  valeur = std::stol(std::string(arg.substr(nom.size())));
  return true;
}

int Banc(const std::string& programme, Reglages r) {
  if (r.fichiers < 1 || r.dossiers < 1 || r.profondeur < 1 || r.petit < 1 || r.tours < 1)
    throw std::runtime_error("réglages invalides");
  DossierTemporaire grand("tidora-bench");
  DossierTemporaire petit("tidora-bench");
  std::printf(
      "Building %ld files in %ld folders (depth <= %d), and %ld files for the small tree...\n",
      r.fichiers, r.dossiers, r.profondeur, r.petit);
  std::fflush(stdout);
  const long dossiersPetit = std::max(1L, r.dossiers * r.petit / r.fichiers);
  ConstruitArbre(LecteurC(LecteurNeuf(petit.chemin())), r.petit, dossiersPetit, r.profondeur);
  const os::Drive lecteur = LecteurNeuf(grand.chemin());
  const fs::path racine = LecteurC(lecteur);
  const long attendus = ConstruitArbre(racine, r.fichiers, r.dossiers, r.profondeur);

  const std::vector<std::string> find = {"find", racine.string(), "-iname", "*.tmp"};
  TScruteDossier scrute;
  long trouves = Scrute(scrute, lecteur);  // warm-up of both
  Lance(find);
  std::vector<double> tempsScrute, tempsFind;
  for (int i = 0; i < r.tours; ++i) {
    const auto debut = Horloge::now();
    trouves = Scrute(scrute, lecteur);
    tempsScrute.push_back(Secondes(Horloge::now() - debut));
    tempsFind.push_back(Lance(find));
  }
  const std::string lignesFind = Sortie(find);
  const long trouvesFind = std::count(lignesFind.begin(), lignesFind.end(), '\n');

  const Memoire repos = MemoireScan(programme, "", r.tours);
  const Memoire memPetit = MemoireScan(programme, petit.chemin().string(), r.tours);
  const Memoire memGrand = MemoireScan(programme, grand.chemin().string(), r.tours);

  const double ts = Mediane(tempsScrute) * 1000, tf = Mediane(tempsFind) * 1000;
  const double ratio = ts / tf;
  const double ratioMem = double(memGrand.pic) / double(memPetit.pic);
  const bool plat = memGrand.pic <= memPetit.pic + memPetit.pic / 20 + 256;
  const bool justes = trouves == attendus && trouvesFind == attendus;
  std::printf("\nFolder scanner, median of %d warm runs\n", r.tours);
  std::printf("  %-40s %10s %12s\n", "scan of drive C, mask *.tmp", "time (ms)", "files found");
  std::printf("  %-40s %10.1f %12ld\n", "TScruteDossier", ts, trouves);
  std::printf("  %-40s %10.1f %12ld\n", "find ROOT -iname '*.tmp'", tf, trouvesFind);
  std::printf("  %-40s %10.2f   target <= %.2f: %s\n", "ratio scanner / find", ratio, kCible,
              ratio <= kCible ? "met" : "MISSED");
  std::printf("\n  %-40s %10s %12s\n", "peak memory, fresh process", "VmHWM (KiB)", "above idle");
  std::printf("  %-40s %10ld %12s\n", "process that does not scan", repos.pic, "");
  std::printf("  %-40s %10ld %12ld\n", ("scan of " + std::to_string(r.petit) + " files").c_str(),
              memPetit.pic, memPetit.pic - repos.pic);
  std::printf("  %-40s %10ld %12ld\n", ("scan of " + std::to_string(r.fichiers) + " files").c_str(),
              memGrand.pic, memGrand.pic - repos.pic);
  std::printf("  %-40s %10.2f   target flat: %s\n", "ratio large / small", ratioMem,
              plat ? "met" : "MISSED");
  if (!justes || memPetit.fichiers == 0 || memGrand.fichiers != attendus) {
    std::printf("\nWRONG COUNTS: %ld files match *.tmp, the scanner found %ld, find %ld\n",
                attendus, trouves, trouvesFind);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::string programme = fs::canonical("/proc/self/exe").string();
    if (argc == 2 && std::string_view(argv[1]) == "--idle") {
      std::printf("0 %ld\n", PicMemoire());
      return 0;
    }
    if (argc == 3 && std::string_view(argv[1]) == "--scan-only") {
      const os::Drive lecteur = os::Drive::existing(argv[2]);
      TScruteDossier scrute;
      const long n = Scrute(scrute, lecteur);
      std::printf("%ld %ld\n", n, PicMemoire());
      return 0;
    }
    Reglages r;
    for (int i = 1; i < argc; ++i) {
      const std::string_view a = argv[i];
      long v = 0;
      if (a == "--quick") {
        r.fichiers = 20000, r.dossiers = 400, r.petit = 2000, r.tours = 3;
      } else if (LitEntier(a, "--files=", v)) {
        r.fichiers = v;
      } else if (LitEntier(a, "--folders=", v)) {
        r.dossiers = v;
      } else if (LitEntier(a, "--depth=", v)) {
        r.profondeur = int(v);
      } else if (LitEntier(a, "--small=", v)) {
        r.petit = v;
      } else if (LitEntier(a, "--rounds=", v)) {
        r.tours = int(v);
      } else {
        std::fprintf(a == "--help" ? stdout : stderr,
                     "usage: %s [--files=N] [--folders=N] [--depth=N] [--small=N] [--rounds=N] "
                     "[--quick]\n",
                     argv[0]);
        return a == "--help" ? 0 : 2;
      }
    }
    return Banc(programme, r);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_scrute: %s\n", e.what());
    return 1;
  }
}
