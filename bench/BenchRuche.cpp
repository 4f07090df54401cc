// The hive in Wine's format: reading user.reg and saving one changed value, for a hive the size
// of a fresh Wine prefix's and for a large one. Everything happens in a temporary prefix.
//
//   bench_ruche [--ruche=PATH] [--petite=KO] [--grande=KO] [--rounds=N] [--quick]
//
// Each round puts the hive text afresh in user.reg, then times the first read (a query, which
// reads and parses the file) and one changed value (Wine's lock, the text written back, fsync,
// rename). Median of the rounds. The disk's own cost of such a save (the same text written,
// synced and renamed, the folder synced) is shown beside it: on a slow disk it is most of it. --ruche takes a real user.reg (from a Wine prefix) as the small
// hive; otherwise one of Wine's shape is made up (keys of 1 to 6 values of every kind).
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "bench/Commun.h"
#include "platform/Registry.h"

namespace fs = std::filesystem;
using banc::DossierTemporaire;
using banc::Horloge;
using banc::LecteurNeuf;
using banc::Mediane;
using banc::Secondes;

namespace {

constexpr const char* kCle = "\\Software\\Microsoft\\Internet Explorer\\TypedURLs";

// A hive of about `octets` bytes, as Wine writes one; the TypedURLs key sits in the middle.
std::string Ruche(std::size_t octets) {
  std::string t =
      "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"
      "\n#arch=win64\n";
  bool typed = false;
  for (long n = 0; t.size() < octets; ++n) {
    if (!typed && t.size() > octets / 2) {
      t += "\n[Software\\\\Microsoft\\\\Internet Explorer\\\\TypedURLs] 1796641473\n"
           "#time=1dd863abdab8c9c\n\"url1\"=\"http://www.exemple.fr/\"\n";
      typed = true;
    }
    const std::string k = std::to_string(n);
    t += "\n[Software\\\\\\x00c9diteur " + std::to_string(n / 50) + "\\\\Produit\\\\Cl\\xe9 " + k +
         "] 1796641473\n#time=1dd863abdab8c9c\n";
    t += "\"Nom\"=\"Valeur num\\xe9ro " + k + " \\\"entre guillemets\\\"\"\n";
    if (n % 2 == 0) t += "\"Taille\"=dword:0000" + std::to_string(1000 + n % 9000) + "\n";
    if (n % 3 == 0) t += "\"Chemin\"=str(2):\"%USERPROFILE%\\\\AppData\\\\" + k + "\"\n";
    if (n % 4 == 0) t += "\"Liste\"=str(7):\"un\\0deux\\0trois\\0\"\n";
    if (n % 5 == 0) {
      t += "\"Octets\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\n"
           "  17,18,19,1a,1b,1c,1d,1e,1f\n";
    }
    if (n % 6 == 0) t += "@=\"d\\x00e9faut\"\n";
  }
  return t;
}

struct Temps {
  double lecture = 0, sauvegarde = 0, disque = 0;
};

// What the disk alone costs for one save of `texte`: written, synced, renamed, folder synced.
double Disque(const fs::path& dossier, const std::string& texte) {
  const std::string provisoire = (dossier / "disque.tmp").string();
  const auto debut = Horloge::now();
  const int fd = ::open(provisoire.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0 || ::write(fd, texte.data(), texte.size()) != static_cast<ssize_t>(texte.size()) ||
      ::fsync(fd) != 0 || ::close(fd) != 0 ||
      ::rename(provisoire.c_str(), (dossier / "disque.reg").c_str()) != 0) {
    throw std::runtime_error("écriture impossible dans " + dossier.string());
  }
  const int d = ::open(dossier.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (d >= 0) {
    ::fsync(d);
    ::close(d);
  }
  return Secondes(Horloge::now() - debut) * 1000;
}

Temps Mesurer(const os::Drive& lecteur, const std::string& texte, int tours) {
  const fs::path& prefixe = lecteur.prefix();
  std::vector<double> lectures, sauvegardes, disques;
  for (int t = 0; t < tours; ++t) {
    {
      std::ofstream(prefixe / "nouvelle.reg", std::ios::binary) << texte;
    }
    fs::rename(prefixe / "nouvelle.reg", prefixe / "user.reg");
    const auto debut = Horloge::now();
    std::optional<os::RegistryKey> cle = lecteur.openKey(kCle);
    if (!cle) throw std::runtime_error("TypedURLs introuvable");
    const auto lu = Horloge::now();
    cle->setString("url2", "http://www.exemple.fr/tour" + std::to_string(t));
    const auto fin = Horloge::now();
    lectures.push_back(Secondes(lu - debut) * 1000);
    sauvegardes.push_back(Secondes(fin - lu) * 1000);
    disques.push_back(Disque(prefixe.parent_path(), texte));
  }
  return {Mediane(lectures), Mediane(sauvegardes), Mediane(disques)};
}

int Banc(const std::string& ruche, std::size_t petite, std::size_t grande, int tours) {
  if (tours < 1 || petite < 1 || grande < petite) throw std::runtime_error("réglages invalides");
  std::string textePetit;
  if (!ruche.empty()) {
    std::ifstream in(ruche, std::ios::binary);
    if (!in) throw std::runtime_error("ne peut lire " + ruche);
    std::stringstream s;
    s << in.rdbuf();
    textePetit = s.str();
    if (textePetit.find("[Software\\\\Microsoft\\\\Internet Explorer\\\\TypedURLs]") ==
        std::string::npos) {
      textePetit += "\n[Software\\\\Microsoft\\\\Internet Explorer\\\\TypedURLs] 1796641473\n"
                    "#time=1dd863abdab8c9c\n\"url1\"=\"http://www.exemple.fr/\"\n";
    }
  } else {
    textePetit = Ruche(petite);
  }
  const std::string texteGrand = Ruche(grande);

  DossierTemporaire travail("tidora-bench-ruche");
  const os::Drive lecteur = LecteurNeuf(travail.chemin() / "prefixe");
  std::printf("Hive read and one value saved, %d rounds...\n", tours);
  std::fflush(stdout);
  const Temps p = Mesurer(lecteur, textePetit, tours);
  const Temps g = Mesurer(lecteur, texteGrand, tours);

  const double tp = p.lecture + p.sauvegarde, tg = g.lecture + g.sauvegarde;
  const double tailles = static_cast<double>(texteGrand.size()) / textePetit.size();
  std::printf("\nuser.reg in Wine's format, median of %d rounds\n", tours);
  std::printf("  %-22s %9s %9s %9s %9s %14s\n", "hive", "size (KB)", "read (ms)", "save (ms)",
              "total (ms)", "disk sync (ms)");
  std::printf("  %-22s %9.0f %9.2f %9.2f %9.2f %14.2f   target < 10 ms: %s\n",
              ruche.empty() ? "small (Wine's shape)" : "small (given)", textePetit.size() / 1024.0,
              p.lecture, p.sauvegarde, tp, p.disque, tp < 10 ? "met" : "MISSED");
  std::printf("  %-22s %9.0f %9.2f %9.2f %9.2f %14.2f\n", "large", texteGrand.size() / 1024.0,
              g.lecture, g.sauvegarde, tg, g.disque);
  std::printf("  %-22s %9s %9s %9s %9.2f   (total less the disk's own sync of the same text)\n",
              "small, without sync", "", "", "", std::max(0.0, tp - p.disque));
  // No worse than linear, give or take the noise of a few milliseconds' measure.
  constexpr double kTolerance = 1.10;
  std::printf("  %-22s %9.1f   target <= sizes ratio %.1f x %.2f (no worse than linear): %s\n",
              "ratio large / small", tg / tp, tailles, kTolerance,
              tg / tp <= tailles * kTolerance ? "met" : "MISSED");
  // The read alone: linear when a byte of the large hive costs at most half as much again as a
  // byte of the small one (which the processor's caches hold whole).
  const double lectures = g.lecture / p.lecture;
  std::printf("  %-22s %9.1f   target <= sizes ratio %.1f x 1.5 (the read linear): %s\n",
              "read large / small", lectures, tailles, lectures <= 1.5 * tailles ? "met" : "MISSED");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    std::string ruche;
    std::size_t petite = 100 * 1024, grande = 10 * 1024 * 1024;
    int tours = 7;
    for (int i = 1; i < argc; ++i) {
      const std::string_view a = argv[i];
      if (a == "--quick") {
        grande = 2 * 1024 * 1024, tours = 3;
      } else if (a.rfind("--ruche=", 0) == 0) {
        ruche = std::string(a.substr(8));
      } else if (a.rfind("--petite=", 0) == 0) {
        petite = std::stoul(std::string(a.substr(9))) * 1024;
      } else if (a.rfind("--grande=", 0) == 0) {
        grande = std::stoul(std::string(a.substr(9))) * 1024;
      } else if (a.rfind("--rounds=", 0) == 0) {
        tours = std::stoi(std::string(a.substr(9)));
      } else {
        std::fprintf(a == "--help" ? stdout : stderr,
                     "usage: %s [--ruche=PATH] [--petite=KO] [--grande=KO] [--rounds=N] [--quick]\n",
                     argv[0]);
        return a == "--help" ? 0 : 2;
      }
    }
    return Banc(ruche, petite, grande, tours);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_ruche: %s\n", e.what());
    return 1;
  }
}
