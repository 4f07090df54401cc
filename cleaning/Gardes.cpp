#include "cleaning/Gardes.h"

#include <optional>

#include "platform/NameCase.h"
#include "platform/PathNames.h"
#include "platform/SystemError.h"

namespace {

// "C:" and the names of `chemin` below its drive, "." and ".." resolved; nothing for a path
// without a drive.
std::optional<std::vector<std::string>> Chemins(std::string_view chemin) {
  if (chemin.size() < 2 || chemin[1] != ':') return std::nullopt;
  std::vector<std::string> suite{std::string(chemin.substr(0, 2))};
  for (const std::string_view nom : os::pathNames(chemin.substr(2))) {
    suite.push_back(suite.back() + '\\' + std::string(nom));
  }
  return suite;
}

}  // namespace

Gardes::Gardes(const os::Drive& lecteur, const std::vector<std::string>& chemins) {
  for (const std::string& chemin : chemins) {
    const std::optional<std::vector<std::string>> suite = Chemins(chemin);
    if (!suite) continue;
    try {
      if (const std::optional<os::Folder> dossier = lecteur.openFolder(suite->back())) {
        dossiers_.insert(dossier->id());
        continue;
      }
      if (suite->size() < 2) continue;
      std::optional<os::Folder> parent = lecteur.openFolder((*suite)[suite->size() - 2]);
      if (!parent) continue;
      const std::string_view nom =
          std::string_view(suite->back()).substr((*suite)[suite->size() - 2].size() + 1);
      const std::size_t nombre = parent->count();
      for (std::size_t i = 0; i < nombre; ++i) {
        if (!parent->isFolder(i) && os::sameName(parent->name(i), nom)) {
          fichiers_[parent->id()].emplace(parent->name(i));
        }
      }
    } catch (const os::SystemError&) {
      // A folder that cannot be read: no run lists it either.
    }
  }
}

bool Gardes::Fichier(const os::FileId& dossier, std::string_view nom) const {
  const auto noms = fichiers_.find(dossier);
  return noms != fichiers_.end() && noms->second.contains(nom);
}

bool Gardes::DansUnDossierGarde(const os::Drive& lecteur, std::string_view chemin) const {
  if (dossiers_.empty()) return false;
  const std::optional<std::vector<std::string>> suite = Chemins(chemin);
  if (!suite) return false;
  for (const std::string& dossier : *suite) {
    const std::optional<os::Folder> ouvert = lecteur.openFolder(dossier);
    if (!ouvert) return false;
    if (Dossier(ouvert->id())) return true;
  }
  return false;
}
