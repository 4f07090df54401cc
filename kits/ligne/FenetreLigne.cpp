#include "kits/ligne/FenetreLigne.h"

#include <algorithm>

#include "kits/ligne/Affichable.h"
#include "prefixes/Octets.h"

namespace {

constexpr std::chrono::milliseconds kIntervalle(100);
constexpr std::string_view kEffacerFin = "\x1b[K";

}  // namespace

FenetreLigne::FenetreLigne(std::ostream& sortie, bool terminal, std::size_t largeur)
    : sortie_(sortie),
      terminal_(terminal),
      largeur_(std::max<std::size_t>(largeur, 2)),
      evolue_(TerminalEvolue()) {}

void FenetreLigne::AfficherEnCours(const std::string& texte) {
  enCours_ = texte;
  Dessiner();
}

void FenetreLigne::AfficherNbFichiers(const std::string& texte) {
  nbFichiers_ = texte;
  enRetard_ = true;
  Rafraichir();
}

void FenetreLigne::AfficherTaille(const std::string& texte) {
  taille_ = texte;
  enRetard_ = true;
  Rafraichir();
}

void FenetreLigne::Rafraichir() {
  if (enRetard_ && Horloge::now() - dernier_ >= kIntervalle) Dessiner();
}

void FenetreLigne::Dessiner() {
  enRetard_ = false;
  dernier_ = Horloge::now();
  if (!terminal_) return;
  std::string ligne = enCours_.empty() ? std::string() : enCours_ + " : ";
  ligne += nbFichiers_ + " fichiers, " + (octets_ ? TailleLisible(octets_()) : taille_);
  ligne = Visible(ligne);
  // One column is left free: a line that fills the terminal would move the cursor down.
  const std::string_view coupee = Coupe(ligne, largeur_ - 1);
  sortie_ << '\r' << coupee;
  EffacerApres(Largeur(coupee));
  sortie_ << std::flush;
  dessinee_ = true;
}

// Clears the rest of the line from column `colonne`: with the terminal's own sequence, or, on a
// terminal that knows none (TERM=dumb), with blanks over what was drawn there before.
void FenetreLigne::EffacerApres(std::size_t colonne) {
  if (evolue_) {
    sortie_ << kEffacerFin;
  } else if (dessine_ > colonne) {
    sortie_ << std::string(dessine_ - colonne, ' ');
  }
  dessine_ = colonne;
}

void FenetreLigne::Effacer() {
  if (!dessinee_) return;
  sortie_ << '\r';
  EffacerApres(0);
  sortie_ << '\r' << std::flush;
  dessinee_ = false;
}

void FenetreLigne::Message(const std::string& texte) {
  Effacer();
  std::string lignes = texte;
  if (octets_) {
    // "<n> fichiers pour un total de" and "<size> kO": the count and the size in one line.
    const std::size_t premier = lignes.find('\r');
    const std::size_t second = premier == std::string::npos ? premier : lignes.find('\r', premier + 1);
    const std::string reste = second == std::string::npos ? std::string() : lignes.substr(second);
    const bool un = nbFichiers_ == "0" || nbFichiers_ == "1";  // French puts 0 and 1 in the singular
    lignes = nbFichiers_ + (un ? " fichier" : " fichiers") + " pour un total de " +
             TailleLisible(octets_()) + reste;
  }
  // Each line made harmless on its own: a name in a message never drives the terminal.
  for (std::size_t debut = 0; debut <= lignes.size();) {
    std::size_t fin = lignes.find('\r', debut);
    if (fin == std::string::npos) fin = lignes.size();
    sortie_ << Visible(std::string_view(lignes).substr(debut, fin - debut)) << '\n';
    debut = fin + 1;
  }
  sortie_ << std::flush;
  resumeEcrit_ = true;
}
