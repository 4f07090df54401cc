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

#include "cleaning/Menage.h"
#include "kits/ligne/Affichable.h"
#include "kits/ligne/FenetreLigne.h"
#include "platform/SystemError.h"
#include "prefixes/ApercuPrefixe.h"
#include "prefixes/Liste.h"
#include "prefixes/Maison.h"

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
struct Bilan {
  int code = kNettoye;
  bool refuse = false;    // refused before it changed anything (`erreur` says why)
  bool occupe = false;    // refused because another program uses the prefix
  std::string erreur;     // a refusal or a failure, in French; "" when none
  std::uint64_t nbFichiers = 0, taille = 0, nbEchecs = 0;
};

std::string SansOptions(const fs::path& dossier) {
  return "Le préfixe " + Visible(dossier.string()) +
         " n'a pas d'options validées : rien n'y a été effacé ; choisissez-les et validez-les "
         "d'abord (tidora2000 --prefixe " + Visible(dossier.string()) + ")";
}

// One run in the prefix `dossier`, opened as `prefixe`.
Bilan Lancer(const PrefixeOuvert& prefixe, const fs::path& dossier) {
  Bilan bilan;
  TScruteDossier scrute;
  FenetreLigne fenetre(std::cout, ::isatty(STDOUT_FILENO) != 0, LargeurTerminal());
  TExecutant executant(prefixe.lecteur);
  TMenage menage(scrute, prefixe.plan, fenetre, executant);
  menage.DossiersJeux = prefixe.jeux;
  menage.DossiersSauvegardes = prefixe.sauvegardes;
  menage.ProtegerSauvegardes = prefixe.proteger;
  scrute.TraiterMessages = [&] {
    fenetre.Rafraichir();
    if (interrompu != 0) menage.Stopper();
  };
  try {
    menage.Lancer();
  } catch (const os::SystemError& e) {
    fenetre.Effacer();
    bilan.code = kRefuse;
    bilan.erreur = e.what();
    bilan.refuse = !fenetre.ResumeEcrit();
    bilan.occupe = bilan.refuse && e.code() == os::error::SharingViolation;
  }
  if (fenetre.OptionsDemandees()) {
    bilan.code = kRefuse;
    bilan.refuse = true;
    bilan.erreur = SansOptions(dossier);
    return bilan;
  }
  bilan.nbFichiers = menage.NbFichiers;
  bilan.taille = menage.TailleTotale;
  bilan.nbEchecs = menage.NbEchecs;
  if (interrompu != 0 && !bilan.refuse) {
    bilan.code = kRefuse;
    if (bilan.erreur.empty()) bilan.erreur = "nettoyage interrompu";
  } else if (bilan.code == kNettoye && menage.NbEchecs > 0) {
    bilan.code = kFichiersRestes;
  }
  return bilan;
}

void Erreur(const std::string& texte) {
  std::cerr << "tidora2000 : " << texte << '\n' << std::flush;
}

}  // namespace

int NettoyerPrefixe(const fs::path& dossier) {
  std::optional<PrefixeOuvert> prefixe;
  try {
    prefixe.emplace(OuvrirPrefixe(dossier, {}, ChoixDeLUtilisateur(Maison::DuSysteme())));
  } catch (const std::runtime_error& e) {
    Erreur(e.what());
    return kRefuse;
  }
  GardeInterruption garde;
  const Bilan bilan = Lancer(*prefixe, dossier);
  if (!bilan.erreur.empty()) Erreur(bilan.erreur);
  return bilan.code;
}

int NettoyerTous() {
  Recherche r = TrouverPrefixes(Maison::DuSysteme());
  for (const std::string& a : r.avertissements) Erreur(a);
  ChercherUtilisateurs(r.prefixes);
  if (r.prefixes.empty()) {
    std::cout << "Aucun préfixe Wine ou Proton trouvé.\n";
    return kNettoye;
  }
  const ChoixCommuns choix = ChoixDeLUtilisateur(Maison::DuSysteme());
  GardeInterruption garde;
  int code = kNettoye;
  std::size_t nettoyes = 0, ignores = 0;
  Bilan total;
  for (const Prefixe& p : r.prefixes) {
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
      try {
        prefixe.emplace(OuvrirPrefixe(p.chemin, p.jeux, choix));
      } catch (const std::runtime_error& e) {
        pourquoi = e.what();
      }
    }
    if (!pourquoi.empty()) {
      std::cout << titre << " : ignoré, " << pourquoi << '\n';
      ++ignores;
      continue;
    }
    std::cout << titre << '\n' << std::flush;
    const Bilan bilan = Lancer(*prefixe, p.chemin);
    if (bilan.occupe) {  // taken since the list was made
      std::cout << "ignoré : " << bilan.erreur << '\n';
      ++ignores;
      continue;
    }
    if (!bilan.erreur.empty()) Erreur(bilan.erreur);
    code = std::max(code, bilan.code);
    ++nettoyes;
    total.nbFichiers += bilan.nbFichiers;
    total.taille += bilan.taille;
    total.nbEchecs += bilan.nbEchecs;
  }
  if (interrompu != 0) code = kRefuse;
  // French puts 0 and 1 in the singular.
  const auto accord = [](std::size_t n, const char* un, const char* plusieurs) {
    return std::to_string(n) + (n > 1 ? plusieurs : un);
  };
  std::cout << "Total : " << accord(nettoyes, " préfixe nettoyé, ", " préfixes nettoyés, ")
            << accord(ignores, " ignoré ; ", " ignorés ; ")
            << total.nbFichiers << " fichiers pour un total de " << TMenage::TexteTaille(total.taille);
  if (total.nbEchecs > 0) {
    std::cout << " ; " << total.nbEchecs << " fichiers n'ont pas pu être supprimés";
  }
  std::cout << '\n' << std::flush;
  return code;
}
