#include "prefixes/Maison.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/SystemError.h"

namespace {

std::filesystem::path Absolu(const char* variable) {
  const char* v = std::getenv(variable);
  return v != nullptr && v[0] == '/' ? std::filesystem::path(v) : std::filesystem::path();
}

std::vector<std::filesystem::path> LesDeux(const std::filesystem::path& choisi,
                                           const std::filesystem::path& defaut,
                                           const std::filesystem::path& relatif) {
  std::vector<std::filesystem::path> chemins{choisi / relatif};
  if (choisi.lexically_normal() != defaut.lexically_normal()) chemins.push_back(defaut / relatif);
  return chemins;
}

}  // namespace

Maison Maison::De(const std::filesystem::path& dossier) {
  Maison m;
  m.dossier = dossier;
  m.donnees = dossier / ".local/share";
  m.config = dossier / ".config";
  return m;
}

Maison Maison::DuSysteme() {
  std::filesystem::path home = Absolu("HOME");
  if (home.empty()) {
    const passwd* pw = ::getpwuid(::getuid());
    if (pw != nullptr && pw->pw_dir != nullptr && pw->pw_dir[0] == '/') home = pw->pw_dir;
  }
  if (home.empty()) {
    throw os::SystemError(os::error::PathNotFound,
                          "Aucun dossier personnel : définissez HOME pour chercher les préfixes");
  }
  Maison m = De(home);
  if (std::filesystem::path x = Absolu("XDG_DATA_HOME"); !x.empty()) m.donnees = x;
  if (std::filesystem::path x = Absolu("XDG_CONFIG_HOME"); !x.empty()) m.config = x;
  m.winePrefix = Absolu("WINEPREFIX");
  return m;
}

std::vector<std::filesystem::path> Maison::SousDonnees(const std::filesystem::path& relatif) const {
  return LesDeux(donnees, dossier / ".local/share", relatif);
}

std::vector<std::filesystem::path> Maison::SousConfig(const std::filesystem::path& relatif) const {
  return LesDeux(config, dossier / ".config", relatif);
}
