// The folder scanner against a plain FindFirstFileExW walk of the same tree (Windows; under Wine
// from bench/run-windows). Both look for "*.tmp" over the whole of drive C of a sandbox in a
// temporary folder, removed at the end; the walk reads each folder once with the same flags
// (FindExInfoBasic, FIND_FIRST_EX_LARGE_FETCH), keeps names ending in ".tmp" and enters every
// sub-folder that is not a reparse point.
//
//   bench_scrute_windows [--files=20000] [--folders=400] [--rounds=5] [--quick]
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "bench/Commun.h"
#include "scanner/Scrute.h"

namespace fs = std::filesystem;
using banc::Horloge;
using banc::LecteurC;
using banc::LecteurNeuf;
using banc::Mediane;
using banc::Secondes;

namespace {

// The ratio the scanner must stay under.
constexpr double kCible = 1.1;

// Builds `fichiers` empty files over `dossiers` folders below c:\arbre, one in ten "*.tmp", a
// few "*.tmpx" (which the system's own mask matching would take through their short names).
long ConstruitArbre(const fs::path& c, long fichiers, long dossiers) {
  std::mt19937 alea(2000);
  std::vector<std::wstring> arbre{(c / "arbre").wstring()};
  CreateDirectoryW(arbre[0].c_str(), nullptr);
  for (long i = 1; i < dossiers; ++i) {
    const std::wstring d = arbre[alea() % arbre.size()] + L"\\Dossier" + std::to_wstring(i);
    CreateDirectoryW(d.c_str(), nullptr);
    arbre.push_back(d);
  }
  static constexpr const wchar_t* kExtensions[] = {L".tmp", L".txt", L".jpg", L".dll",  L".log",
                                                   L".TMP", L".ini", L".dat", L".tmpx", L""};
  long tmp = 0;
  for (long i = 0; i < fichiers; ++i) {
    const std::wstring_view e = kExtensions[alea() % std::size(kExtensions)];
    if (e == L".tmp" || e == L".TMP") ++tmp;
    const std::wstring nom =
        arbre[i % arbre.size()] + L"\\fichier" + std::to_wstring(i) + std::wstring(e);
    const HANDLE h = CreateFileW(nom.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("création impossible");
    CloseHandle(h);
  }
  return tmp;
}

bool FinitParTmp(std::wstring_view nom) {
  if (nom.size() < 4) return false;
  const std::wstring_view fin = nom.substr(nom.size() - 4);
  return CompareStringOrdinal(fin.data(), 4, L".tmp", 4, TRUE) == CSTR_EQUAL;
}

long Parcours(const std::wstring& dossier) {
  long n = 0;
  WIN32_FIND_DATAW d;
  const HANDLE h = FindFirstFileExW((dossier + L"\\*").c_str(), FindExInfoBasic, &d,
                                    FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    const std::wstring_view nom = d.cFileName;
    if (nom == L"." || nom == L"..") continue;
    if ((d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      if ((d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        n += Parcours(dossier + L"\\" + std::wstring(nom));
      }
    } else if (FinitParTmp(nom)) {
      ++n;
    }
  } while (FindNextFileW(h, &d));
  FindClose(h);
  return n;
}

long Scrute(TScruteDossier& scrute, const os::Drive& lecteur) {
  long n = 0;
  scrute.Lecteur = &lecteur;
  scrute.Dossier = "c:\\";
  scrute.Filtre = "*.tmp";
  scrute.OnFichier = [&n](TScruteDossier&, const std::string&) { ++n; };
  scrute.Execute();
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    long fichiers = 20000, dossiers = 400;
    int tours = 5;
    for (int i = 1; i < argc; ++i) {
      const std::string_view a = argv[i];
      if (a == "--quick") {
        fichiers = 5000, dossiers = 100, tours = 3;
      } else if (a.rfind("--files=", 0) == 0) {
        fichiers = std::stol(std::string(a.substr(8)));
      } else if (a.rfind("--folders=", 0) == 0) {
        dossiers = std::stol(std::string(a.substr(10)));
      } else if (a.rfind("--rounds=", 0) == 0) {
        tours = std::stoi(std::string(a.substr(9)));
      } else {
        std::fprintf(stderr, "usage: %s [--files=N] [--folders=N] [--rounds=N] [--quick]\n",
                     argv[0]);
        return 2;
      }
    }
    if (fichiers < 1 || dossiers < 1 || tours < 1) throw std::runtime_error("réglages invalides");
    banc::DossierTemporaire bac("tidora-bench");
    const os::Drive lecteur = LecteurNeuf(bac.chemin());
    const fs::path c = LecteurC(lecteur);
    std::printf("Building %ld files in %ld folders...\n", fichiers, dossiers);
    std::fflush(stdout);
    const long attendus = ConstruitArbre(c, fichiers, dossiers);
    const std::wstring racine = c.wstring();

    TScruteDossier scrute;
    long trouves = Scrute(scrute, lecteur);  // warm-up of both
    long trouvesParcours = Parcours(racine);
    std::vector<double> tempsScrute, tempsParcours;
    for (int i = 0; i < tours; ++i) {
      auto debut = Horloge::now();
      trouves = Scrute(scrute, lecteur);
      tempsScrute.push_back(Secondes(Horloge::now() - debut));
      debut = Horloge::now();
      trouvesParcours = Parcours(racine);
      tempsParcours.push_back(Secondes(Horloge::now() - debut));
    }
    const double ts = Mediane(tempsScrute) * 1000, tp = Mediane(tempsParcours) * 1000;
    const double ratio = ts / tp;
    std::printf("\nFolder scanner on Windows, median of %d warm runs\n", tours);
    std::printf("  %-40s %10s %12s\n", "scan of drive C, mask *.tmp", "time (ms)", "files found");
    std::printf("  %-40s %10.1f %12ld\n", "TScruteDossier", ts, trouves);
    std::printf("  %-40s %10.1f %12ld\n", "FindFirstFileExW walk", tp, trouvesParcours);
    std::printf("  %-40s %10.2f   target <= %.2f: %s\n", "ratio scanner / walk", ratio, kCible,
                ratio <= kCible ? "met" : "MISSED");
    if (trouves != attendus || trouvesParcours != attendus) {
      std::printf("\nWRONG COUNTS: %ld files match *.tmp, the scanner found %ld, the walk %ld\n",
                  attendus, trouves, trouvesParcours);
      return 1;
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_scrute_windows: %s\n", e.what());
    return 1;
  }
}
