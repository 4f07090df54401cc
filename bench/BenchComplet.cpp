// A whole cleaning run, every box ticked and two masks of the user's, over a drive C shaped like
// a Proton prefix's, against `find` making the same deletions on an identical copy. Everything
// happens in a temporary folder that is removed at the end.
//
//   bench_complet [--files=100000] [--rounds=3] [--quick]
//
// The drive holds the system's folders, a game with its data, logs, saves and crash dumps, the
// user's profile (the four browser folders among its AppData), the temporary folder with nested
// sub-folders, and the registry backups; names mix cases and accents, about 6% of the files go.
// `find` does the same work in four commands: every file of the four profile folders and of
// TEMP, one pass over the drive with every mask, "*.cab" under the backup folder, then the empty
// sub-folders of TEMP; "index.dat" stays everywhere, as in the run. Each round copies the model
// drive twice, flushes both to disk, then times one TMenage::Lancer() (window calls doing
// nothing) and one `sh` running the four commands; which goes first alternates. Median of the
// rounds. The two drives left must be identical, else the benchmark fails. Then the preview of
// that run on one more copy is timed: it must count the files the run deleted and leave the
// drive as it was, else the benchmark fails. The run's in-use checks between its steps (the
// executant's Reverifier: a later look of the prefix's watch) are timed within each run, and their
// share of it must stay within 2%.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "bench/Commun.h"
#include "cleaning/Apercu.h"
#include "cleaning/Executant.h"
#include "cleaning/Menage.h"
#include "cleaning/PlanMenage.h"
#include "scanner/Scrute.h"

namespace fs = std::filesystem;
using banc::DossierTemporaire;
using banc::FenetreMuette;
using banc::Horloge;
using banc::LecteurC;
using banc::LecteurNeuf;
using banc::Mediane;
using banc::Nom;
using banc::Secondes;

namespace {

constexpr double kCible = 1.15;
constexpr double kCibleVerifications = 0.02;  // the in-use checks' share of the run
constexpr std::array<const char*, 11> kMasques = {
    "*.tmp", "*.bak", "*.gid", "*.chk", "*.log", "*.old",
    "*.---", "*.~*",  "*.$*",  "*.dmp", "~*.sav"};  // the nine built-in masks, then the user's two

// The profile's folders, below drive C.
constexpr const char* kProfil = "users/steamuser";
constexpr const char* kCache = "users/steamuser/AppData/Local/Microsoft/Windows/INetCache";
constexpr const char* kHistorique = "users/steamuser/AppData/Local/Microsoft/Windows/History";
constexpr const char* kCookies = "users/steamuser/AppData/Local/Microsoft/Windows/INetCookies";
constexpr const char* kRecents = "users/steamuser/AppData/Roaming/Microsoft/Windows/Recent";
constexpr const char* kTemp = "windows/temp";
constexpr const char* kSauvegardes = "windows/SYSBCKUP";

std::string Windows(std::string_view relatif) {
  std::string chemin = "C:\\";
  for (const char c : relatif) chemin += c == '/' ? '\\' : c;
  return chemin;
}

// Writes the model drive C below `c` (which holds a fresh profile already); `echelle` scales
// every count (1 for 100,000 files). Returns the files written.
class Modele {
 public:
  Modele(const fs::path& c, double echelle) : c_(c), echelle_(echelle) {}

  long Construire() {
    Systeme();
    Jeu();
    Profil();
    Temporaire();
    Sauvegardes();
    return fichiers_;
  }

 private:
  long N(long n) const { return std::max(1L, static_cast<long>(n * echelle_)); }

  void Fichier(const fs::path& dossier, const std::string& nom) {
    fs::create_directories(c_ / dossier);
    std::ofstream(c_ / dossier / nom) << "trace " << fichiers_;
    ++fichiers_;
  }

  // `n` files named `avant` + number + an extension drawn from `extensions` (one in `rare` of
  // them replaced by a throw-away extension drawn from `jetables`).
  void Serie(const fs::path& dossier, long n, std::string_view avant,
             const std::vector<const char*>& extensions, int rare = 0,
             const std::vector<const char*>& jetables = {}) {
    for (long i = 0; i < n; ++i) {
      const bool jete = rare > 0 && alea_() % rare == 0;
      const char* ext =
          jete ? jetables[alea_() % jetables.size()] : extensions[alea_() % extensions.size()];
      Fichier(dossier, Nom(avant, i, ext));
    }
  }

  void Systeme() {
    const std::vector<const char*> binaires = {".dll", ".DLL", ".exe", ".sys", ".mui",
                                               ".nls", ".cpl", ".drv", ".ocx", ".tlb"};
    Serie("windows/system32", N(6000), "composant", binaires);
    Serie("windows/system32/drivers", N(300), "pilote", {".sys", ".SYS"});
    Serie("windows/syswow64", N(3500), "Module", binaires);
    Serie("windows/Fonts", N(400), "Police", {".ttf", ".TTF", ".fon"});
    Serie("windows/inf", N(800), "périphérique", {".inf", ".pnf"}, 40, {".log", ".old"});
    for (long d = 0; d < N(1500); ++d) {
      Serie(fs::path("windows/winsxs") / Nom("amd64_microsoft-windows-é", d, "_31bf3856ad364e35"),
            10, "fichier", binaires, 200, {".tmp", ".bak"});
    }
    Serie("windows/Installer", N(600), "Paquet", {".msi", ".msp", ".ico"}, 60, {".tmp", ".~mp"});
    Serie("windows", N(50), "Journal", {".ini", ".dat"}, 5, {".log", ".LOG", ".old"});
    Serie("ProgramData/Microsoft/Windows/Caches", N(400), "cversions", {".db"}, 30, {".tmp"});
  }

  void Jeu() {
    const fs::path jeu = "Program Files (x86)/Éditeur Studio/Le Jeu Magnifique";
    const std::vector<const char*> donnees = {".pak",  ".DDS", ".ogg", ".wem", ".bnk",
                                              ".json", ".lua", ".bin", ".xml", ".Mesh"};
    for (long d = 0; d < N(2000); ++d) {
      Serie(jeu / "Données" / Nom("Région ", d % 40) / Nom("Zone_", d), 25, "Élément_", donnees,
            400, {".bak", ".old", ".$$$"});
    }
    Serie(jeu / "Bin", N(300), "moteur", {".dll", ".exe", ".pdb"}, 100, {".---", ".chk"});
    Serie(jeu / "Logs", N(400), "Session ", {".txt"}, 2, {".log", ".LOG"});
    Serie(jeu / "CrashDumps", N(80), "crash-", {".txt", ".json"}, 2, {".dmp", ".DMP"});
    Serie(jeu / "Shaders" / "Cache", N(2500), "shader_", {".bin", ".cache"}, 100, {".tmp"});
    Serie(jeu / "Mods" / "Très Gros Mod", N(1000), "Asset", donnees, 200, {".bak", ".~1"});
    Serie(jeu / "Vidéos", N(100), "Cinématique ", {".bk2", ".webm"});
    Serie(jeu / "Aide", N(60), "Manuel", {".hlp", ".chm"}, 6, {".gid", ".GID"});
  }

  void Profil() {
    const fs::path profil = kProfil;
    // The browser folders: everything there goes, index.dat excepted.
    for (long d = 0; d < N(60); ++d) {
      const fs::path contenu = fs::path(kCache) / "Content.IE5" / Nom("Q8ZK", d, "WX");
      Serie(contenu, 30, "page", {".htm", ".gif", ".JPG", ".css", ".js", ""});
    }
    Fichier(fs::path(kCache) / "Content.IE5", "index.dat");
    for (long d = 0; d < N(10); ++d) {
      Serie(fs::path(kHistorique) / "History.IE5" / Nom("MSHist0120260", d), 25, "visite",
            {".url"});
    }
    Fichier(kHistorique, "index.dat");
    Serie(kCookies, N(500), "steamuser@site-", {".txt"});
    Fichier(kCookies, "index.dat");
    Serie(kRecents, N(200), "Document récent ", {".lnk", ".LNK"});
    // What the profile keeps.
    const fs::path local = profil / "AppData/Local";
    for (long d = 0; d < N(400); ++d) {
      Serie(local / "Le Jeu Magnifique" / "ShaderCache" / Nom("Pipeline", d), 25, "entrée",
            {".bin", ".idx"}, 200, {".tmp"});
    }
    Serie(local / "Launcher" / "logs", N(200), "launcher", {".txt"}, 2, {".log", ".old"});
    Serie(profil / "AppData/Roaming/Launcher/Cache", N(2500), "Ressource", {".dat", ".png"}, 300,
          {".tmp", ".bak"});
    Serie(profil / "Documents/My Games/Le Jeu Magnifique/Sauvegardes", N(300), "Partie ",
          {".sav", ".SAV", ".png"}, 6, {".bak"});
    for (long i = 0; i < N(40); ++i) {
      Fichier(profil / "Documents/My Games/Le Jeu Magnifique/Sauvegardes", Nom("~Auto", i, ".sav"));
    }
    Serie(profil / "Documents", N(300), "Lettre à Mémé ", {".doc", ".odt", ".pdf"}, 50,
          {".bak", ".tmp"});
  }

  void Temporaire() {
    Serie(kTemp, N(400), "~DF", {".tmp", ".TMP", ".log", ""});
    for (long d = 0; d < N(80); ++d) {
      const fs::path sous = fs::path(kTemp) / Nom("Installation ", d) / "Étape" / Nom("Part", d);
      Serie(sous, 20, "extrait", {".cab", ".msi", ".dll", ".tmp"});
      if (d % 10 == 0) Fichier(sous, "index.dat");  // keeps its folders
    }
  }

  void Sauvegardes() {
    Serie(kSauvegardes, N(20), "rb0", {".cab", ".CAB"});
    Serie(kSauvegardes, N(5), "lisezmoi", {".txt"});
    Serie(fs::path(kSauvegardes) / "Ancien", N(10), "rb1", {".cab"});
  }

  fs::path c_;
  double echelle_;
  long fichiers_ = 0;
  std::mt19937 alea_{2000};
};

// Every file and folder below `racine`, relative to it ("d/" for a folder).
std::set<std::string> Contenu(const fs::path& racine) {
  std::set<std::string> tout;
  for (auto it = fs::recursive_directory_iterator(racine); it != fs::recursive_directory_iterator();
       ++it) {
    std::string relatif = fs::relative(it->path(), racine).generic_string();
    if (it->is_directory()) relatif += '/';
    tout.insert(relatif);
  }
  return tout;
}

std::string Guillemets(const fs::path& p) {
  return "'" + p.string() + "'";
}

// The four commands that make the run's deletions on the copy `c` of drive C.
std::string ScriptFind(const fs::path& c) {
  std::string script = "set -e\nfind";
  for (const char* d : {kCache, kHistorique, kRecents, kCookies, kTemp}) {
    script += ' ' + Guillemets(c / d);
  }
  script += " -type f ! -name index.dat -delete\n";
  script += "find " + Guillemets(c) + " -type f ! -name index.dat \\(";
  for (std::size_t i = 0; i < kMasques.size(); ++i) {
    script += i == 0 ? " -iname '" : " -o -iname '";
    script += kMasques[i];
    script += '\'';
  }
  script += " \\) -delete\n";
  script += "find " + Guillemets(c / kSauvegardes) +
            " -type f ! -name index.dat -iname '*.cab' -delete\n";
  script += "find " + Guillemets(c / kTemp) + " -mindepth 1 -type d -empty -delete\n";
  return script;
}

// The real executant, its in-use checks timed: the first look (Commencer) and the later ones
// between the run's steps (Reverifier).
struct ExecutantChronometre : TExecutant {
  using TExecutant::TExecutant;
  void Commencer() override {
    const auto debut = Horloge::now();
    TExecutant::Commencer();
    premiere += Secondes(Horloge::now() - debut);
  }
  std::optional<std::string> Reverifier() override {
    const auto debut = Horloge::now();
    std::optional<std::string> pourquoi = TExecutant::Reverifier();
    suivantes += Secondes(Horloge::now() - debut);
    ++nbSuivantes;
    return pourquoi;
  }
  double premiere = 0, suivantes = 0;
  int nbSuivantes = 0;
};

void Commande(const std::string& commande) {
  if (std::system(commande.c_str()) != 0) throw std::runtime_error("a échoué : " + commande);
}

int Banc(long nbFichiers, int tours) {
  if (nbFichiers < 100 || tours < 1) throw std::runtime_error("réglages invalides");
  DossierTemporaire travail("tidora-bench-complet");
  const fs::path modele = travail.chemin() / "modele";
  const fs::path copie = travail.chemin() / "copie";
  const fs::path script = travail.chemin() / "find.sh";

  std::printf("Building a Proton-shaped drive C of about %ld files...\n", nbFichiers);
  std::fflush(stdout);
  const fs::path c0 = LecteurC(LecteurNeuf(travail.chemin() / "prefixe0"));
  const long construits = Modele(c0, static_cast<double>(nbFichiers) / 100000).Construire();
  Commande("cp -a " + Guillemets(c0) + " " + Guillemets(modele));
  std::ofstream(script) << ScriptFind(copie);

  TScruteDossier scrute;
  TPlanMenage plan;
  plan.TableDossiers = {Windows(kCache),   Windows(kHistorique), Windows(kRecents),
                        Windows(kCookies), Windows(kTemp),       Windows(kSauvegardes)};
  plan.TableRegistre = {
      "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Doc Find Spec MRU",
      "\\Software\\Microsoft\\Internet Explorer\\TypedURLs"};
  for (std::size_t i = 0; i < kMasques.size(); ++i) {
    plan.TableMotifs[i < 9 ? i : i + 1] = kMasques[i];  // xt10 stays empty
  }
  plan.OptionsValidees = true;
  FenetreMuette fenetre;

  std::vector<double> tempsRun, tempsFind, partVerifications, tempsPremiere, tempsSuivantes;
  int nbVerifications = 0;
  std::uint64_t supprimes = 0;
  for (int t = 0; t < tours; ++t) {
    // Each round on a drive of its own, which its run works on, removed after it.
    const fs::path prefixe = travail.chemin() / Nom("prefixe", t + 1);
    std::set<std::string> laisseRun, laisseFind;
    {
      const os::Drive lecteur = LecteurNeuf(prefixe);
      const fs::path c = LecteurC(lecteur);
      fs::remove_all(copie);
      Commande("cp -a " + Guillemets(modele) + "/. " + Guillemets(c));
      Commande("cp -a " + Guillemets(modele) + " " + Guillemets(copie));
      ::sync();
      ExecutantChronometre executant(lecteur);
      TMenage menage(scrute, plan, fenetre, executant);
      auto mesurerRun = [&] {
        const auto debut = Horloge::now();
        menage.Lancer();
        const double duree = Secondes(Horloge::now() - debut);
        tempsRun.push_back(duree);
        supprimes = menage.NbFichiers;
        if (!menage.Interruption.empty()) throw std::runtime_error(menage.Interruption);
        partVerifications.push_back(executant.suivantes / duree);
        tempsPremiere.push_back(executant.premiere);
        tempsSuivantes.push_back(executant.suivantes);
        nbVerifications = executant.nbSuivantes;
      };
      auto mesurerFind = [&] {
        const auto debut = Horloge::now();
        Commande("sh " + Guillemets(script));
        tempsFind.push_back(Secondes(Horloge::now() - debut));
      };
      if (t % 2 == 0) {
        mesurerRun();
        mesurerFind();
      } else {
        mesurerFind();
        mesurerRun();
      }
      laisseRun = Contenu(c);
      laisseFind = Contenu(copie);
    }
    fs::remove_all(prefixe);
    if (laisseRun != laisseFind) {
      std::vector<std::string> difference;
      std::set_symmetric_difference(laisseRun.begin(), laisseRun.end(), laisseFind.begin(),
                                    laisseFind.end(), std::back_inserter(difference));
      std::printf("\nTREES DIFFER after round %d (%zu entries), for instance:\n", t + 1,
                  difference.size());
      for (std::size_t i = 0; i < difference.size() && i < 10; ++i) {
        std::printf("  %s only after %s\n", difference[i].c_str(),
                    laisseRun.count(difference[i]) != 0 ? "the run" : "find");
      }
      return 1;
    }
  }

  // The preview of the same run on a fresh copy: as many files as the run deleted, and the
  // drive left exactly as it was.
  const os::Drive lecteurApercu = LecteurNeuf(travail.chemin() / "prefixe-apercu");
  const fs::path ca = LecteurC(lecteurApercu);
  Commande("cp -a " + Guillemets(modele) + "/. " + Guillemets(ca));
  ::sync();
  const std::set<std::string> avantApercu = Contenu(ca);
  const auto debutApercu = Horloge::now();
  const Apercu apercu = ApercuMenage(lecteurApercu, plan);
  const double ta = Secondes(Horloge::now() - debutApercu);
  if (apercu.nbFichiers != supprimes || Contenu(ca) != avantApercu) {
    std::printf("\nTHE PREVIEW DIFFERS: %llu files against the run's %llu, drive %s\n",
                static_cast<unsigned long long>(apercu.nbFichiers),
                static_cast<unsigned long long>(supprimes),
                Contenu(ca) == avantApercu ? "unchanged" : "CHANGED");
    return 1;
  }

  const double tr = Mediane(tempsRun), tf = Mediane(tempsFind);
  std::printf(
      "\nWhole cleaning run, every choice and two masks of the user's, median of %d rounds\n",
      tours);
  std::printf("  %ld files on drive C, %llu deleted (%.1f%%); both drives left identical\n",
              construits, static_cast<unsigned long long>(supprimes),
              100.0 * static_cast<double>(supprimes) / static_cast<double>(construits));
  std::printf("  %-40s %10s\n", "", "time (ms)");
  std::printf("  %-40s %10.1f\n", "TMenage::Lancer", tr * 1000);
  std::printf("  %-40s %10.1f\n", "find, the same deletions", tf * 1000);
  std::printf("  %-40s %10.2f   target <= %.2f: %s\n", "ratio run / find", tr / tf, kCible,
              tr / tf <= kCible ? "met" : "MISSED");
  const double part = Mediane(partVerifications);
  std::printf("  %-40s %10.1f   (%d later looks, %.2f ms each; first look %.1f ms)\n",
              "in-use checks between steps", Mediane(tempsSuivantes) * 1000, nbVerifications,
              Mediane(tempsSuivantes) * 1000 / std::max(1, nbVerifications),
              Mediane(tempsPremiere) * 1000);
  std::printf("  %-40s %9.2f%%   target <= %.0f%% of the run: %s\n", "share of the run", part * 100,
              kCibleVerifications * 100, part <= kCibleVerifications ? "met" : "MISSED");
  std::printf("  %-40s %10.1f\n", "ApercuMenage (one round, deletes nothing)", ta * 1000);
  // The preview walks as the run does but deletes nothing: it never costs more.
  std::printf("  %-40s %10.2f   target <= 1.00: %s (the same files, the drive unchanged)\n",
              "ratio preview / run", ta / tr, ta <= tr ? "met" : "MISSED");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  long nbFichiers = 100000, tours = 3;
  return banc::Principal(
      argc, argv, "bench_complet", {{"--files=", &nbFichiers}, {"--rounds=", &tours}},
      [&] { nbFichiers = 10000, tours = 3; },
      [&] { return Banc(nbFichiers, static_cast<int>(tours)); });
}
