#include "app/FichierAide.h"

#include <QFile>

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

bool InstallerFichierAide() {
  const std::string chemin = CheminFichierAide();
  if (os::fileAttributes(chemin)) return false;
  QFile source(QStringLiteral(":/skins/Tidora2000.hlp"));
  if (!source.open(QIODevice::ReadOnly)) return false;
  const QByteArray texte = source.readAll();
  CreerDossier(chemin.substr(0, chemin.rfind('\\')));
  // Written beside it first, so that a failed write never leaves a truncated help file that
  // later starts would take for the real one.
  const std::string provisoire = chemin + ".tmp";
  try {
    os::File fichier = os::File::create(provisoire);
    fichier.write(std::string_view(texte.constData(), static_cast<std::size_t>(texte.size())));
    fichier.flush();
    fichier.close();
    os::moveFileReplace(provisoire, chemin);
  } catch (...) {
    try {
      os::deleteFile(provisoire);
    } catch (const os::SystemError&) {
      // Nothing was created.
    }
    throw;
  }
  return true;
}
