#include "prefixes/ToujoursGarder.h"

#include <optional>
#include <system_error>

#include "platform/NameCase.h"
#include "platform/PathNames.h"
#include "prefixes/ApercuPrefixe.h"
#include "prefixes/Choix.h"
#include "prefixes/Cible.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSection = "garder";
constexpr std::string_view kTous = "*";

// "C:\a\b" from a path of drive C written with "\" or "/", "." and ".." resolved; nothing for
// any other text.
std::optional<std::string> CheminWindows(std::string_view texte) {
  if (texte.size() < 3 || (texte[0] | 0x20) != 'c' || texte[1] != ':' ||
      (texte[2] != '\\' && texte[2] != '/')) {
    return std::nullopt;
  }
  std::string chemin = "C:";
  for (const std::string_view nom : os::pathNames(texte.substr(2))) {
    chemin += '\\';
    chemin += nom;
  }
  return chemin;
}

bool MemePrefixe(const fs::path& a, const fs::path& b) {
  if (a.empty() || b.empty()) return a.empty() && b.empty();
  std::error_code ec;
  return a == b || fs::equivalent(a, b, ec);
}

bool Meme(const ElementGarde& a, const ElementGarde& b) {
  return os::sameName(a.chemin, b.chemin) && MemePrefixe(a.prefixe, b.prefixe);
}

std::string Echapper(std::string_view texte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string sortie;
  for (const char c : texte) {
    const auto octet = static_cast<unsigned char>(c);
    if (octet < 0x20 || octet == 0x7F || c == '%' || c == '|') {
      sortie += '%';
      sortie += kHex[octet >> 4];
      sortie += kHex[octet & 0xF];
    } else {
      sortie += c;
    }
  }
  return sortie;
}

std::optional<std::string> Rendre(std::string_view texte) {
  auto chiffre = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') return (c | 0x20) - 'a' + 10;
    return -1;
  };
  std::string sortie;
  for (std::size_t i = 0; i < texte.size(); ++i) {
    if (texte[i] != '%') {
      sortie += texte[i];
      continue;
    }
    if (i + 2 >= texte.size() || chiffre(texte[i + 1]) < 0 || chiffre(texte[i + 2]) < 0) {
      return std::nullopt;
    }
    sortie += static_cast<char>(chiffre(texte[i + 1]) * 16 + chiffre(texte[i + 2]));
    i += 2;
  }
  return sortie;
}

std::string_view SansBlancs(std::string_view t) {
  while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t' || t.back() == '\r'))
    t.remove_suffix(1);
  return t;
}

}  // namespace

ElementGarde ElementGardeDe(std::string_view texte, bool existant) {
  const std::string cite = "« " + std::string(texte) + " »";
  if (std::optional<std::string> windows = CheminWindows(texte)) {
    if (windows->size() <= 2) {
      throw ErreurGarde(cite + " est tout le lecteur C : plus rien n'y serait nettoyé");
    }
    return {{}, std::move(*windows)};
  }
  if (texte.empty()) throw ErreurGarde("un chemin à garder ne peut être vide");
  std::error_code ec;
  fs::path absolu = fs::absolute(fs::path(std::string(texte)), ec).lexically_normal();
  if (!absolu.has_filename()) absolu = absolu.parent_path();
  if (existant && !fs::exists(fs::symlink_status(absolu, ec))) {
    throw ErreurGarde(cite + " n'existe pas");
  }
  if (absolu.filename() == "drive_c" && EstPrefixe(absolu.parent_path())) {
    throw ErreurGarde(cite + " est tout le lecteur C : plus rien n'y serait nettoyé");
  }
  for (fs::path lecteur = absolu.parent_path(); lecteur.has_relative_path();
       lecteur = lecteur.parent_path()) {
    if (lecteur.filename() != "drive_c" || !EstPrefixe(lecteur.parent_path())) continue;
    std::string chemin = "C:";
    for (const fs::path& nom : absolu.lexically_relative(lecteur)) {
      if (nom.string().find('\\') != std::string::npos) {
        throw ErreurGarde(cite + " : un nom qui contient « \\ » n'a pas de chemin Windows");
      }
      chemin += '\\';
      chemin += nom.string();
    }
    return {lecteur.parent_path(), std::move(chemin)};
  }
  throw ErreurGarde(cite + " n'est pas dans le lecteur C (drive_c) d'un préfixe Wine ou Proton");
}

ElementGarde GardeDuFichier(const fs::path& prefixe, const FichierApercu& fichier) {
  if (!fichier.hote.empty()) {
    std::vector<std::string> chemins = CheminsDansLeLecteur(prefixe, {fs::path(fichier.hote)});
    if (chemins.size() == 1) return {prefixe, std::move(chemins.front())};
  }
  return {prefixe, CheminWindows(fichier.chemin).value_or(fichier.chemin)};
}

std::vector<std::string> CheminsGardes(const std::vector<ElementGarde>& gardes,
                                       const fs::path& prefixe) {
  std::vector<std::string> chemins;
  for (const ElementGarde& g : gardes) {
    if (g.prefixe.empty() || MemePrefixe(g.prefixe, prefixe)) chemins.push_back(g.chemin);
  }
  return chemins;
}

bool AjouterGarde(std::vector<ElementGarde>& gardes, ElementGarde element) {
  for (const ElementGarde& g : gardes) {
    if (Meme(g, element)) return false;
  }
  gardes.push_back(std::move(element));
  return true;
}

std::size_t RetirerGarde(std::vector<ElementGarde>& gardes, const ElementGarde& element) {
  return std::erase_if(gardes, [&](const ElementGarde& g) { return Meme(g, element); });
}

std::string TexteGarde(const ElementGarde& element) {
  if (element.prefixe.empty()) return element.chemin;
  fs::path hote = element.prefixe / "drive_c";
  for (const std::string_view nom : os::pathNames(std::string_view(element.chemin).substr(2))) {
    hote /= std::string(nom);
  }
  return hote.string();
}

std::string SectionGardes(const std::vector<ElementGarde>& gardes) {
  if (gardes.empty()) return {};
  std::string texte = "[Garder]\n";
  for (const ElementGarde& g : gardes) {
    texte += "Garde=";
    texte += g.prefixe.empty() ? std::string(kTous) : Echapper(g.prefixe.string());
    texte += '|';
    texte += Echapper(g.chemin);
    texte += '\n';
  }
  return texte;
}

std::vector<ElementGarde> LireGardes(std::string_view texte, const std::string& fichier) {
  std::vector<ElementGarde> gardes;
  bool dedans = false;
  std::size_t numero = 0;
  for (std::size_t debut = 0; debut < texte.size();) {
    std::size_t fin = texte.find('\n', debut);
    if (fin == std::string_view::npos) fin = texte.size();
    const std::string_view ligne = SansBlancs(texte.substr(debut, fin - debut));
    debut = fin + 1;
    ++numero;
    if (ligne.starts_with('[')) {
      dedans = ligne.ends_with(']') &&
               os::sameName(SansBlancs(ligne.substr(1, ligne.size() - 2)), kSection);
      continue;
    }
    if (!dedans || ligne.empty() || ligne.starts_with(';') || ligne.starts_with('#')) continue;
    const std::size_t egal = ligne.find('=');
    const std::size_t barre = ligne.find('|');
    std::optional<std::string> prefixe, chemin;
    if (egal != std::string_view::npos && barre != std::string_view::npos && barre > egal &&
        os::sameName(SansBlancs(ligne.substr(0, egal)), "Garde")) {
      prefixe = Rendre(SansBlancs(ligne.substr(egal + 1, barre - egal - 1)));
      chemin = Rendre(ligne.substr(barre + 1));
    }
    std::optional<std::string> windows = chemin ? CheminWindows(*chemin) : std::nullopt;
    if (!prefixe || !windows || windows->size() <= 2 ||
        (*prefixe != kTous && !prefixe->starts_with('/'))) {
      throw ErreurChoix("Fichier de choix illisible " + fichier + " : ligne " +
                        std::to_string(numero) +
                        " : un élément gardé s'écrit « Garde=<dossier du préfixe, ou *>|C:\\… »");
    }
    gardes.push_back({*prefixe == kTous ? fs::path() : fs::path(*prefixe), std::move(*windows)});
  }
  return gardes;
}
