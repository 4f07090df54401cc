#include "platform/linux/HiveFailure.h"

#include <cerrno>

#include "platform/SystemError.h"
#include "platform/linux/Host.h"

namespace os::host {

std::string hiveReason(int err) {
  switch (err) {
    case ENOENT:
      return "fichier introuvable";
    case EACCES:
    case EPERM:
      return "accès refusé";
    case EROFS:
      return "système de fichiers en lecture seule";
    case ELOOP:
      return "c'est un lien, qui n'est pas suivi";
    case EISDIR:
      return "c'est un dossier";
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return "disque plein";
    case EIO:
      return "erreur d'entrée-sortie";
    case ENOTDIR:
      return "un élément du chemin n'est pas un dossier";
    case ENAMETOOLONG:
      return "nom trop long";
    case EMFILE:
    case ENFILE:
      return "trop de fichiers ouverts";
    case ENOMEM:
      return "mémoire insuffisante";
    default:
      return "erreur système " + std::to_string(err);
  }
}

void failHive(std::string_view what, std::string_view file, int err) {
  std::string message(what);
  message.append(" : ").append(file).append(" : ").append(hiveReason(err));
  const std::uint32_t code = errorCode(err);
  throw SystemError(code == error::DiskFull ? code : error::BadRegistryHive, message);
}

}  // namespace os::host
