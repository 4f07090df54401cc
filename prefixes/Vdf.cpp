#include "prefixes/Vdf.h"

#include <cstddef>

namespace {

bool MemeCleAscii(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

enum class Genre { Fin, Ouvrante, Fermante, Texte, Condition };

struct Jeton {
  Genre genre = Genre::Fin;
  std::string texte;
};

class Lecteur {
 public:
  explicit Lecteur(std::string_view texte) : t_(texte) {
    if (t_.starts_with("\xEF\xBB\xBF")) i_ = 3;
  }

  // The next token; conditions ("[$WIN32]") come as tokens of their own.
  Jeton Suivant() {
    Blancs();
    Jeton j;
    if (i_ >= t_.size()) return j;
    const char c = t_[i_];
    if (c == '{' || c == '}') {
      ++i_;
      j.genre = c == '{' ? Genre::Ouvrante : Genre::Fermante;
      return j;
    }
    j.genre = Genre::Texte;
    if (c == '"') {
      ++i_;
      for (;;) {
        if (i_ >= t_.size()) Erreur("guillemet non fermé");
        const char d = t_[i_++];
        if (d == '"') break;
        if (d == '\n') ++ligne_;
        if (d == '\\' && i_ < t_.size()) {
          const char e = t_[i_++];
          switch (e) {
            case 'n': j.texte += '\n'; break;
            case 't': j.texte += '\t'; break;
            case '\\': case '"': j.texte += e; break;
            default:
              j.texte += '\\';
              j.texte += e;
              if (e == '\n') ++ligne_;
          }
          continue;
        }
        j.texte += d;
      }
      return j;
    }
    while (i_ < t_.size() && !Blanc(t_[i_]) && t_[i_] != '"' && t_[i_] != '{' && t_[i_] != '}') {
      j.texte += t_[i_++];
    }
    if (j.texte.size() >= 2 && j.texte.front() == '[' && j.texte.back() == ']') {
      j.genre = Genre::Condition;
    }
    return j;
  }

  [[noreturn]] void Erreur(const std::string& quoi) const {
    throw ErreurVdf("texte Steam incorrect, ligne " + std::to_string(ligne_) + " : " + quoi);
  }

 private:
  static bool Blanc(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
  }
  void Blancs() {
    while (i_ < t_.size()) {
      if (t_[i_] == '\n') {
        ++ligne_;
        ++i_;
      } else if (Blanc(t_[i_])) {
        ++i_;
      } else if (t_.compare(i_, 2, "//") == 0) {
        while (i_ < t_.size() && t_[i_] != '\n') ++i_;
      } else {
        return;
      }
    }
  }

  std::string_view t_;
  std::size_t i_ = 0;
  std::size_t ligne_ = 1;
};

}  // namespace

const NoeudVdf* NoeudVdf::Enfant(std::string_view nom) const {
  for (const NoeudVdf& e : enfants) {
    if (MemeCleAscii(e.cle, nom)) return &e;
  }
  return nullptr;
}

std::string_view NoeudVdf::Valeur(std::string_view nom) const {
  for (const NoeudVdf& e : enfants) {
    if (!e.bloc && MemeCleAscii(e.cle, nom)) return e.valeur;
  }
  return {};
}

NoeudVdf LireVdf(std::string_view texte) {
  Lecteur lecteur(texte);
  NoeudVdf racine;
  racine.bloc = true;
  // The open blocks, outermost first; only the innermost grows, so the pointers stay valid.
  std::vector<NoeudVdf*> ouverts{&racine};
  Jeton j = lecteur.Suivant();
  for (;;) {
    while (j.genre == Genre::Condition) j = lecteur.Suivant();
    if (j.genre == Genre::Fin) {
      if (ouverts.size() > 1) lecteur.Erreur("bloc non fermé à la fin du texte");
      return racine;
    }
    if (j.genre == Genre::Fermante) {
      if (ouverts.size() == 1) lecteur.Erreur("« } » sans bloc ouvert");
      ouverts.pop_back();
      j = lecteur.Suivant();
      continue;
    }
    if (j.genre == Genre::Ouvrante) lecteur.Erreur("« { » sans clé");
    NoeudVdf entree;
    entree.cle = std::move(j.texte);
    j = lecteur.Suivant();
    while (j.genre == Genre::Condition) j = lecteur.Suivant();
    if (j.genre == Genre::Ouvrante) {
      if (ouverts.size() > kProfondeurVdf) lecteur.Erreur("blocs imbriqués trop profondément");
      entree.bloc = true;
      ouverts.back()->enfants.push_back(std::move(entree));
      ouverts.push_back(&ouverts.back()->enfants.back());
      j = lecteur.Suivant();
      continue;
    }
    if (j.genre != Genre::Texte) lecteur.Erreur("la clé « " + entree.cle + " » n'a pas de valeur");
    entree.valeur = std::move(j.texte);
    ouverts.back()->enfants.push_back(std::move(entree));
    j = lecteur.Suivant();
  }
}
