#include "app/FichierAide.h"

#include <optional>

#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/SystemError.h"

namespace {

// A folder and its missing parents. A prefix the program did not make itself (a Wine prefix)
// has no "C:\Program Files\Tidora 2000" until the program's first start there.
void CreerDossier(const std::string& dossier) {
  std::size_t fin = dossier.find('\\');  // the drive's root is always there
  while (fin != std::string::npos) {
    fin = dossier.find('\\', fin + 1);
    const std::string partie = dossier.substr(0, fin);
    if (!os::fileAttributes(partie)) os::createDirectory(partie);
  }
}

}  // namespace

std::string CheminFichierAide() {
  std::string chemin = os::executablePath();
  const std::size_t nom = chemin.rfind('\\');
  const std::size_t point = chemin.rfind('.');
  if (point != std::string::npos && (nom == std::string::npos || point > nom)) {
    chemin.resize(point);
  }
  return chemin + ".hlp";
}

bool InstallerFichierAide(std::string_view texte) {
  const std::string chemin = CheminFichierAide();
  if (os::fileAttributes(chemin)) return false;
  // Written beside it first, under a name of its own, so that a failed write never leaves a
  // truncated help file that later starts would take for the real one.
  std::optional<os::File> fichier;
  try {
    CreerDossier(chemin.substr(0, chemin.rfind('\\')));
    fichier.emplace(os::File::createTemporary(chemin));
    fichier->write(texte);
    fichier->flush();
    fichier->close();
    os::moveFileReplace(fichier->path(), chemin);
  } catch (const os::SystemError& e) {
    if (fichier) {
      const std::string provisoire = fichier->path();
      fichier.reset();
      try {
        os::deleteFile(provisoire);
      } catch (const os::SystemError&) {
        // Already gone.
      }
    }
    throw os::SystemError(e.code(), "Ne peut installer le fichier d'aide " + chemin + " : " +
                                        os::errorText(e.code()));
  }
  return true;
}
