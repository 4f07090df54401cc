#include "bench/Commun.h"

#include <algorithm>
#include <cstdint>
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

double Secondes(Horloge::duration d) {
  return std::chrono::duration<double>(d).count();
}

double Mediane(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace banc
