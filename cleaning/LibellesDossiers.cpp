#include "cleaning/LibellesDossiers.h"

const std::array<std::string, 5> LibellesDossiers = {
    "Scan du cache d'internet explorer",  "Scan de l'historique des adresses",
    "Recherche des documents récents",    "Recherche des cookies",
    "Scan du répertoire temporaire TEMP",
};
