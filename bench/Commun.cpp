#include "bench/Commun.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace banc {

DossierTemporaire::DossierTemporaire(std::string_view nom) {
  std::mt19937_64 alea(std::random_device{}() ^
                       static_cast<std::uint64_t>(Horloge::now().time_since_epoch().count()));
  static constexpr char chiffres[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  for (int essai = 0; essai < 100; ++essai) {
    std::string suffixe = "-";
    for (std::uint64_t n = alea(), i = 0; i < 6; ++i, n /= 36) suffixe += chiffres[n % 36];
    const fs::path dossier = fs::temp_directory_path() / (std::string(nom) + suffixe);
    if (fs::create_directory(dossier)) {
      chemin_ = dossier;
      return;
    }
  }
  throw std::runtime_error("pas de dossier temporaire");
}

DossierTemporaire::~DossierTemporaire() {
  std::error_code ec;
  fs::remove_all(chemin_, ec);
}

// Built by appending: GCC 12 sees a false overlap (-Wrestrict) in "..." + std::string&&.
std::string Nom(std::string_view avant, long n, std::string_view apres) {
  std::string nom(avant);
  nom += std::to_string(n);
  nom += apres;
  return nom;
}

os::Drive LecteurNeuf(const fs::path& dossier) {
#ifdef _WIN32
  return os::Drive::sandbox(dossier);
#else
  return os::Drive::own(dossier);
#endif
}

fs::path LecteurC(const os::Drive& lecteur, const fs::path& relatif) {
  const fs::path c = lecteur.prefix() / "drive_c";
  return relatif.empty() ? c : c / relatif;
}

void Arbre(const fs::path& racine, long nbFichiers) {
  constexpr long kDossiers = 50, kSous = 20;
  const long parFeuille = (nbFichiers + kDossiers * kSous - 1) / (kDossiers * kSous);
  long faits = 0;
  for (long d = 0; d < kDossiers && faits < nbFichiers; ++d) {
    for (long s = 0; s < kSous && faits < nbFichiers; ++s) {
      const fs::path dossier = racine / Nom("d", d) / Nom("s", s);
      fs::create_directories(dossier);
      for (long f = 0; f < parFeuille && faits < nbFichiers; ++f, ++faits)
        std::ofstream(dossier / Nom("f", f, ".tmp")) << "trace " << faits;
    }
  }
}

int Principal(int argc, char** argv, const char* programme, std::initializer_list<Option> options,
              const std::function<void()>& rapide, const std::function<int()>& banc) {
  try {
    for (int i = 1; i < argc; ++i) {
      const std::string_view a = argv[i];
      const Option* lue = nullptr;
      for (const Option& o : options) {
        if (a.rfind(o.nom, 0) == 0) lue = &o;
      }
      if (lue != nullptr) {
        *lue->valeur = std::stol(std::string(a.substr(lue->nom.size())));
      } else if (a == "--quick") {
        rapide();
      } else {
        std::string usage = "usage: ";  // appended: GCC 12 sees a false overlap in "..." + string
        usage += argv[0];
        for (const Option& o : options) usage.append(" [").append(o.nom).append("N]");
        usage += " [--quick]\n";
        std::fputs(usage.c_str(), a == "--help" ? stdout : stderr);
        return a == "--help" ? 0 : 2;
      }
    }
    return banc();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", programme, e.what());
    return 1;
  }
}

double Secondes(Horloge::duration d) {
  return std::chrono::duration<double>(d).count();
}

double Mediane(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

int ComparerFenetresEtSans(const char* programme, const char* titre, int tours, long nbFichiers,
                           const std::filesystem::path& hoteTemp,
                           const std::function<std::uint64_t()>& sansFenetre,
                           const std::function<std::uint64_t()>& avecFenetres) {
  double meilleurFenetres = 1e9, meilleurSans = 1e9;
  bool correct = true;
  auto mesurer = [&](const std::function<std::uint64_t()>& lancer, double& meilleur) {
    Arbre(hoteTemp, nbFichiers);
    const auto debut = Horloge::now();
    const std::uint64_t nb = lancer();
    meilleur = std::min(meilleur, Secondes(Horloge::now() - debut));
    correct = correct && nb == static_cast<std::uint64_t>(nbFichiers);
  };
  for (int t = 0; t < tours; ++t) {
    if (t % 2 == 0) {
      mesurer(sansFenetre, meilleurSans);
      mesurer(avecFenetres, meilleurFenetres);
    } else {
      mesurer(avecFenetres, meilleurFenetres);
      mesurer(sansFenetre, meilleurSans);
    }
  }
  if (!correct) {
    std::fprintf(stderr, "%s: a run did not delete all %ld files\n", programme, nbFichiers);
    return 1;
  }

  const double ratio = meilleurFenetres / meilleurSans;
  std::printf("%s, %ld files (best of %d)\n", titre, nbFichiers, tours);
  std::printf("  windows  %.3f s  (%.0f files/s)\n", meilleurFenetres,
              static_cast<double>(nbFichiers) / meilleurFenetres);
  std::printf("  headless %.3f s  (%.0f files/s)\n", meilleurSans,
              static_cast<double>(nbFichiers) / meilleurSans);
  std::printf("  ratio windows/headless %.2f (target <= 1.2)\n", ratio);
  return ratio <= 1.2 ? 0 : 2;
}

}  // namespace banc
