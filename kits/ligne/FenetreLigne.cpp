#include "kits/ligne/FenetreLigne.h"

#include <algorithm>

#include "kits/ligne/Affichable.h"

namespace {

constexpr std::chrono::milliseconds kIntervalle(100);
constexpr std::string_view kEffacerFin = "\x1b[K";

}  // namespace

FenetreLigne::FenetreLigne(std::ostream& sortie, bool terminal, std::size_t largeur)
    : sortie_(sortie), terminal_(terminal), largeur_(std::max<std::size_t>(largeur, 2)) {}

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
  ligne += nbFichiers_ + " fichiers, " + taille_;
  ligne = Visible(ligne);
  // One column is left free: a line that fills the terminal would move the cursor down.
  sortie_ << '\r' << Coupe(ligne, largeur_ - 1) << kEffacerFin << std::flush;
  dessinee_ = true;
}

void FenetreLigne::Effacer() {
  if (!dessinee_) return;
  sortie_ << '\r' << kEffacerFin << std::flush;
  dessinee_ = false;
}

void FenetreLigne::Message(const std::string& texte) {
  Effacer();
  std::string lignes = texte;
  std::replace(lignes.begin(), lignes.end(), '\r', '\n');
  sortie_ << lignes << '\n' << std::flush;
  resumeEcrit_ = true;
}
