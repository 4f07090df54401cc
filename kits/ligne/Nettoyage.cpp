#include "kits/ligne/Nettoyage.h"

#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include "kits/ligne/Affichable.h"
#include "kits/ligne/FenetreLigne.h"
#include "platform/SystemError.h"
#include "prefixes/ApercuPrefixe.h"
#include "prefixes/NettoyagePrefixe.h"
#include "prefixes/Octets.h"

namespace fs = std::filesystem;

namespace {

volatile sig_atomic_t interrompu = 0;

void SurInterruption(int) {
  interrompu = 1;
}

// While it lives, Ctrl-C asks the run to stop (the drain turns it into Stopper()); a second one
// ends the program as usual. A program started with SIGINT ignored keeps ignoring it.
class GardeInterruption {
 public:
  GardeInterruption() {
    interrompu = 0;
    struct sigaction action {};
    action.sa_handler = SurInterruption;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    ::sigaction(SIGINT, &action, &ancienne_);
    if (ancienne_.sa_handler == SIG_IGN) ::sigaction(SIGINT, &ancienne_, nullptr);
  }
  ~GardeInterruption() { ::sigaction(SIGINT, &ancienne_, nullptr); }
  GardeInterruption(const GardeInterruption&) = delete;
  GardeInterruption& operator=(const GardeInterruption&) = delete;

 private:
  struct sigaction ancienne_ {};
};

std::size_t LargeurTerminal() {
  winsize taille{};
  if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &taille) == 0 && taille.ws_col > 0) return taille.ws_col;
  return 80;
}

// What one run came to.
struct Bilan : BilanNettoyage {
  Statut statut = Statut::Fait;
};

// "1 fichier", "2 fichiers".
std::string Fichiers(std::uint64_t n) {
  return std::to_string(n) + (n > 1 ? " fichiers" : " fichier");
}

// One run in the prefix opened as `prefixe`.
Bilan Lancer(const PrefixeOuvert& prefixe) {
  FenetreLigne fenetre(std::cout, ::isatty(STDOUT_FILENO) != 0, LargeurTerminal());
  NettoyagePrefixe nettoyage(prefixe, fenetre);
  fenetre.Octets([&nettoyage] { return nettoyage.Octets(); });
  nettoyage.Scrute().TraiterMessages = [&] {
    fenetre.Rafraichir();
    if (interrompu != 0) nettoyage.Stopper();
  };
  Bilan bilan;
  static_cast<BilanNettoyage&>(bilan) = nettoyage.Lancer();
  if (!bilan.erreur.empty()) {
    fenetre.Effacer();
    bilan.statut = Statut::Refuse;
  }
  if (!bilan.interruption.empty()) {
    bilan.statut = Statut::Refuse;  // stopped: a program started in the prefix
  } else if (interrompu != 0 && !bilan.refuse) {
    bilan.statut = Statut::Refuse;
    if (bilan.erreur.empty()) bilan.erreur = "nettoyage interrompu";
  } else if (bilan.statut == Statut::Fait && bilan.nbEchecs > 0) {
    bilan.statut = Statut::Incomplet;
  }
  return bilan;
}

void Erreur(const std::string& texte) {
  std::cerr << "tidora2000 : " << Visible(texte) << '\n' << std::flush;
}

// The prefix opened for a run, or nothing after saying why on standard error.
std::optional<PrefixeOuvert> Ouvrir(const Prefixe& p, const ChoixCommuns& choix, bool propre,
                                    std::string* pourquoi = nullptr) {
  try {
    return OuvrirPrefixe(p, choix, propre);
  } catch (const std::runtime_error& e) {
    if (pourquoi != nullptr) {
      *pourquoi = e.what();
    } else {
      Erreur(e.what());
    }
    return std::nullopt;
  }
}

}  // namespace

Statut NettoyerPrefixe(const Prefixe& p, const ChoixCommuns& choix, bool propre) {
  const std::optional<PrefixeOuvert> prefixe = Ouvrir(p, choix, propre);
  if (!prefixe) return Statut::Refuse;
  GardeInterruption garde;
  const Bilan bilan = Lancer(*prefixe);
  if (!bilan.erreur.empty()) Erreur(bilan.erreur);
  return AvecSortie(bilan.statut);
}

Statut NettoyerTous(const std::vector<Prefixe>& prefixes, const ChoixCommuns& choix) {
  if (prefixes.empty()) {
    Ecrire("Aucun préfixe Wine ou Proton trouvé.\n");
    return AvecSortie(Statut::Fait);
  }
  GardeInterruption garde;
  Statut statut = Statut::Fait;
  std::size_t nettoyes = 0, ignores = 0;
  Bilan total;
  for (const Prefixe& p : prefixes) {
    if (interrompu != 0) break;
    const std::string titre = "Préfixe « " + Visible(p.nom) + " » (" +
                              std::string(NomOrigine(p.origine)) + ") : " +
                              Visible(p.chemin.string());
    std::string pourquoi;
    std::optional<PrefixeOuvert> prefixe;
    if (p.utilisateur) {
      pourquoi = "occupé par " + Visible(p.utilisateur->program) + " (processus " +
                 std::to_string(p.utilisateur->pid) + ")";
    } else {
      prefixe = Ouvrir(p, choix, false, &pourquoi);
    }
    if (!pourquoi.empty()) {
      std::cout << titre << " : ignoré, " << Visible(pourquoi) << '\n';
      ++ignores;
      continue;
    }
    std::cout << titre << '\n' << std::flush;
    const Bilan bilan = Lancer(*prefixe);
    if (bilan.occupe) {  // taken since the list was made
      std::cout << "ignoré : " << Visible(bilan.erreur) << '\n';
      ++ignores;
      continue;
    }
    if (!bilan.erreur.empty()) Erreur(bilan.erreur);
    statut = Pire(statut, bilan.statut);
    ++nettoyes;
    total.nbFichiers += bilan.nbFichiers;
    total.taille += bilan.taille;
    total.nbEchecs += bilan.nbEchecs;
    total.nbProteges += bilan.nbProteges;
    total.tailleProtegee += bilan.tailleProtegee;
    total.nbGardes += bilan.nbGardes;
    total.tailleGardee += bilan.tailleGardee;
  }
  if (interrompu != 0) statut = Statut::Refuse;
  // French puts 0 and 1 in the singular.
  const auto accord = [](std::size_t n, const char* un, const char* plusieurs) {
    return std::to_string(n) + (n > 1 ? plusieurs : un);
  };
  std::cout << "Total : " << accord(nettoyes, " préfixe nettoyé, ", " préfixes nettoyés, ")
            << accord(ignores, " ignoré ; ", " ignorés ; ") << Fichiers(total.nbFichiers)
            << " pour un total de " << TailleLisible(total.taille);
  if (total.nbEchecs > 0) {
    std::cout << " ; " << total.nbEchecs << " fichiers n'ont pas pu être supprimés";
  }
  if (total.nbProteges > 0) {
    std::cout << " ; " << Fichiers(total.nbProteges)
              << (total.nbProteges > 1 ? " protégés laissés" : " protégé laissé") << " en place, "
              << TailleLisible(total.tailleProtegee);
  }
  if (total.nbGardes > 0) {
    std::cout << " ; " << Fichiers(total.nbGardes)
              << (total.nbGardes > 1 ? " gardés laissés" : " gardé laissé") << " en place, "
              << TailleLisible(total.tailleGardee);
  }
  std::cout << '\n';
  return AvecSortie(statut);
}
