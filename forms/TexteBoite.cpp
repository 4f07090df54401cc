#include "forms/TexteBoite.h"

std::string LignesBoite(std::string texte) {
  std::string lignes;
  lignes.reserve(texte.size());
  for (std::size_t i = 0; i < texte.size(); ++i) {
    if (texte[i] != '\r') {
      lignes += texte[i];
    } else if (i + 1 >= texte.size() || texte[i + 1] != '\n') {
      lignes += '\n';
    }
  }
  return lignes;
}

std::string TexteErreur(std::string message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
  return message;
}
