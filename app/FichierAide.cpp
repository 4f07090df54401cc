#include "app/FichierAide.h"

#include "platform/FileSystem.h"
#include "platform/StoredFile.h"
#include "platform/SystemError.h"

namespace {

// A folder and its missing parents. A prefix the program did not make itself (a Wine prefix)
// has no "C:\Program Files\Tidora 2000" until the program's first start there.
void CreerDossier(const os::Drive& lecteur, const std::string& dossier) {
  std::size_t fin = dossier.find('\\');  // the drive's root is always there
  while (fin != std::string::npos) {
    fin = dossier.find('\\', fin + 1);
    const std::string partie = dossier.substr(0, fin);
    if (!os::fileAttributes(lecteur, partie)) os::createDirectory(lecteur, partie);
  }
}

}  // namespace

std::string CheminFichierAide(const os::Drive& lecteur) {
  std::string chemin = lecteur.executablePath();
  const std::size_t nom = chemin.rfind('\\');
  const std::size_t point = chemin.rfind('.');
  if (point != std::string::npos && (nom == std::string::npos || point > nom)) {
    chemin.resize(point);
  }
  return chemin + ".hlp";
}

bool InstallerFichierAide(const os::Drive& lecteur, std::string_view texte) {
  const std::string chemin = CheminFichierAide(lecteur);
  if (os::fileAttributes(lecteur, chemin)) return false;
  // Saved whole, under its lock, and only where no file is (one another program put there
  // meanwhile stays): a failed write never leaves a truncated help file that later starts would
  // take for the real one.
  try {
    CreerDossier(lecteur, chemin.substr(0, chemin.rfind('\\')));
    return os::saveFile(lecteur, chemin, texte, true);
  } catch (const os::SystemError& e) {
    throw os::SystemError(e.code(), "Ne peut installer le fichier d'aide " + chemin + " : " +
                                        os::errorText(e.code()));
  }
}
