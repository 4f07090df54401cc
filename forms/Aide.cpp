#include "forms/Aide.h"

#include "platform/File.h"
#include "platform/SystemError.h"

std::string HelpFile;

namespace {

// `chemin` with the extension of its file name (after its last ".") replaced by `extension`,
// or `extension` appended when the name has none.
std::string ChangerExtension(std::string chemin, const std::string& extension) {
  const std::size_t point = chemin.rfind('.');
  const std::size_t separateur = chemin.find_last_of("\\:");
  if (point != std::string::npos && (separateur == std::string::npos || point > separateur)) {
    chemin.resize(point);
  }
  return chemin + extension;
}

}  // namespace

void ActionAide(IFenetre& fenetre, const os::Drive& lecteur) {
  if (HelpFile.empty()) HelpFile = ChangerExtension(lecteur.executablePath(), ".hlp");
  std::optional<std::string> contenu;
  try {
    contenu = os::readFile(lecteur, HelpFile);
  } catch (const os::SystemError&) {
    // The reader says it could not open the file.
  }
  fenetre.MontrerAide(HelpFile, contenu);
}
