// The French words for the Windows error codes the program meets.
#include "platform/SystemError.h"

namespace os {

std::string errorText(std::uint32_t code) {
  switch (code) {
    case error::FileNotFound:
      return "fichier introuvable";
    case error::PathNotFound:
      return "chemin introuvable";
    case error::AccessDenied:
      return "accès refusé";
    case error::InvalidData:
      return "données incorrectes";
    case error::WriteProtect:
      return "disque en lecture seule";
    case error::WriteFault:
      return "erreur d'écriture sur le disque";
    case error::NotSupported:
      return "opération non prise en charge";
    case error::FileExists:
    case error::AlreadyExists:
      return "existe déjà";
    case error::InvalidParameter:
      return "paramètre incorrect";
    case error::DiskFull:
      return "disque plein";
    case error::InvalidName:
      return "nom incorrect";
    case error::DirNotEmpty:
      return "dossier non vide";
    case error::DirectoryInvalid:
      return "ce n'est pas un dossier";
    case error::BadRegistryHive:
      return "base de registre illisible";
    default:
      return "erreur système " + std::to_string(code);
  }
}

}  // namespace os
