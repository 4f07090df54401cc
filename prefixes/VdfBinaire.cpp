#include "prefixes/VdfBinaire.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum Type : unsigned char {
  kBloc = 0x00,
  kTexte = 0x01,
  kEntier32 = 0x02,
  kReel32 = 0x03,
  kPointeur = 0x04,
  kCouleur = 0x06,
  kEntier64 = 0x07,
  kFin = 0x08,
  kEntierSigne64 = 0x0A,
};

// The data, read forward; every read checks what is left.
class Curseur {
 public:
  explicit Curseur(std::string_view octets) : o_(octets) {}

  bool Fin() const noexcept { return i_ >= o_.size(); }
  std::size_t Position() const noexcept { return i_; }

  unsigned char Octet() {
    if (Fin()) Erreur(i_, "données tronquées");
    return static_cast<unsigned char>(o_[i_++]);
  }
  // The text up to its NUL byte, which is passed.
  std::string Texte() {
    const std::size_t nul = o_.find('\0', i_);
    if (nul == std::string_view::npos) Erreur(i_, "texte sans fin, données tronquées");
    std::string texte(o_.substr(i_, nul - i_));
    i_ = nul + 1;
    return texte;
  }
  // `taille` bytes, little-endian.
  std::uint64_t Nombre(std::size_t taille) {
    if (o_.size() - i_ < taille) Erreur(i_, "nombre tronqué");
    std::uint64_t n = 0;
    for (std::size_t k = taille; k > 0; --k) {
      n = n << 8 | static_cast<unsigned char>(o_[i_ + k - 1]);
    }
    i_ += taille;
    return n;
  }

  [[noreturn]] static void Erreur(std::size_t ou, const std::string& quoi) {
    throw ErreurVdf("données Steam binaires incorrectes, octet " + std::to_string(ou) + " : " +
                    quoi);
  }

 private:
  std::string_view o_;
  std::size_t i_ = 0;
};

std::string Reel(std::uint32_t bits) {
  float reel;
  static_assert(sizeof reel == sizeof bits);
  std::memcpy(&reel, &bits, sizeof reel);
  char tampon[64];
  const std::to_chars_result r = std::to_chars(tampon, tampon + sizeof tampon, reel);
  return std::string(tampon, r.ptr);
}

}  // namespace

NoeudVdf LireVdfBinaire(std::string_view octets) {
  Curseur c(octets);
  NoeudVdf racine;
  racine.bloc = true;
  // The open blocks, outermost first; only the innermost grows, so the pointers stay valid.
  std::vector<NoeudVdf*> ouverts{&racine};
  std::size_t entrees = 0;
  for (;;) {
    if (c.Fin()) {
      if (ouverts.size() > 1) Curseur::Erreur(c.Position(), "bloc non fermé, données tronquées");
      return racine;
    }
    const std::size_t debut = c.Position();
    const unsigned char type = c.Octet();
    if (type == kFin) {
      ouverts.pop_back();
      if (!ouverts.empty()) continue;
      if (!c.Fin()) Curseur::Erreur(c.Position(), "données après la fin");
      return racine;
    }
    if (++entrees > kEntreesVdfBinaire) Curseur::Erreur(debut, "trop d'entrées");
    NoeudVdf entree;
    entree.cle = c.Texte();
    switch (type) {
      case kBloc:
        if (ouverts.size() > kProfondeurVdf) {
          Curseur::Erreur(debut, "blocs imbriqués trop profondément");
        }
        entree.bloc = true;
        ouverts.back()->enfants.push_back(std::move(entree));
        ouverts.push_back(&ouverts.back()->enfants.back());
        continue;
      case kTexte: entree.valeur = c.Texte(); break;
      case kEntier32:
      case kPointeur:
      case kCouleur: entree.valeur = std::to_string(c.Nombre(4)); break;
      case kReel32: entree.valeur = Reel(static_cast<std::uint32_t>(c.Nombre(4))); break;
      case kEntier64: entree.valeur = std::to_string(c.Nombre(8)); break;
      case kEntierSigne64:
        entree.valeur = std::to_string(static_cast<std::int64_t>(c.Nombre(8)));
        break;
      default: Curseur::Erreur(debut, "type inconnu " + std::to_string(type));
    }
    ouverts.back()->enfants.push_back(std::move(entree));
  }
}
