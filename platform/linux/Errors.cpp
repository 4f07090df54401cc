// errno values mapped onto Windows error codes, and the French messages of failures.
#include <cerrno>
#include <string>

#include "platform/SystemError.h"
#include "platform/linux/Host.h"

namespace os::host {

std::uint32_t errorCode(int err) noexcept {
  switch (err) {
    case ENOENT:
      return error::FileNotFound;
    case ENOTDIR:
    case ELOOP:
      return error::PathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EBUSY:
    case ETXTBSY:
    case EXDEV:  // outside drive C, or across a mount point
    case ENXIO:  // a pipe or device where a file was expected
      return error::AccessDenied;
    case EROFS:
      return error::WriteProtect;
    case EEXIST:
      return error::AlreadyExists;
    case ENOTEMPTY:
      return error::DirNotEmpty;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return error::DiskFull;
    case ENAMETOOLONG:
      return error::InvalidName;
    case EINVAL:
      return error::InvalidParameter;
    case ENOTSUP:
      return error::NotSupported;
    case EIO:
      return error::WriteFault;
    default:
      return error::GenFailure;
  }
}

std::string errnoText(int err) {
  switch (err) {
    case ENOENT:
      return "fichier introuvable";
    case ENOTDIR:
      return "chemin introuvable";
    case ELOOP:
      return "le chemin passe par un lien";
    case EACCES:
    case EPERM:
      return "accès refusé";
    case EROFS:
      return "disque en lecture seule";
    case EISDIR:
      return "c'est un dossier";
    case EBUSY:
    case ETXTBSY:
      return "fichier en cours d'utilisation";
    case EXDEV:
      return "hors du lecteur C ou derrière un point de montage";
    case ENXIO:
      return "ce n'est pas un fichier ordinaire";
    case EEXIST:
      return "existe déjà";
    case ENOTEMPTY:
      return "dossier non vide";
    case ENOSPC:
      return "disque plein";
    case EDQUOT:
      return "disque plein (quota dépassé)";
    case EFBIG:
      return "disque plein (taille maximale de fichier atteinte)";
    case ENAMETOOLONG:
      return "nom trop long";
    default:
      return errorText(errorCode(err)) + " (errno " + std::to_string(err) + ")";
  }
}

void fail(std::uint32_t code, std::string_view operation, std::string_view windowsPath,
          std::string_view detail) {
  std::string what;
  what.reserve(operation.size() + windowsPath.size() + detail.size() + 4);
  what.append(operation).append(" ").append(windowsPath).append(" : ").append(detail);
  throw SystemError(code, what);
}

void failErrno(int err, std::string_view operation, std::string_view windowsPath) {
  fail(errorCode(err), operation, windowsPath, errnoText(err));
}

void failMissing(const Resolved& r, std::string_view operation, std::string_view windowsPath) {
  if (!r.valid) {
    fail(error::PathNotFound, operation, windowsPath, "ce n'est pas un chemin du lecteur C");
  }
  if (r.parentMissing) fail(error::PathNotFound, operation, windowsPath, "chemin introuvable");
  if (r.error != 0 && r.error != ENOENT) failErrno(r.error, operation, windowsPath);
  fail(error::FileNotFound, operation, windowsPath, "fichier introuvable");
}

}  // namespace os::host
