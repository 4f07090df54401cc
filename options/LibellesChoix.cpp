#include "options/LibellesChoix.h"

const std::array<LibelleChoix, 17> LibellesChoix = {{
    {"Cache", "Vider le cache d'I.E."},
    {"History", "l'historique des URL"},
    {"TypedURL", "l'historique des URL saisies"},
    {"Recent", "l'historique des documents récents"},
    {"Cookies", "les cookies"},
    {"Temp", "le contenu du répertoire TEMP"},
    {"Sbdr", "les sauvegardes de la bases de registre"},
    {"DocFind", "les recherches récentes"},
    {"xt1", "*.tmp"},
    {"xt2", "*.bak"},
    {"xt3", "*.gid"},
    {"xt4", "*.chk"},
    {"xt5", "*.log"},
    {"xt6", "*.old"},
    {"xt7", "*.---"},
    {"xt8", "*.~*"},
    {"xt9", "*.$*"},
}};
