#include "kits/ligne/Textes.h"

std::string TexteAide() {
  return "Utilisation : tidora2000 [OPTION]...\n"
         "Efface les traces de navigation et de travail d'un environnement Windows : le\n"
         "propre préfixe du programme, ou un préfixe Wine ou Proton.\n"
         "\n"
         "Sans option, ouvre les fenêtres sur le préfixe de TIDORA_PREFIX, ou sur le\n"
         "propre préfixe du programme ($XDG_DATA_HOME/tidora, ~/.local/share/tidora).\n"
         "\n"
         "      --prefixe=DOSSIER  ouvre les fenêtres sur le préfixe DOSSIER : un préfixe\n"
         "                           Wine ou Proton, ou un dossier absent ou vide qui\n"
         "                           devient le propre préfixe du programme\n"
         "      --prefixes         liste les préfixes Wine et Proton de l'utilisateur\n"
         "                           (Wine, Steam, Lutris, Heroic, Bottles) : nom,\n"
         "                           origine, taille du lecteur C, état et chemin, les\n"
         "                           plus gros d'abord\n"
         "      --tsv              avec --prefixes : une ligne par préfixe, champs séparés\n"
         "                           par des tabulations (chemin, origine, nom, taille en\n"
         "                           octets, « libre » ou « occupé ») ; c'est aussi la\n"
         "                           forme quand la sortie n'est pas un terminal\n"
         "  -h, --aide, --help     affiche cette aide et quitte\n"
         "      --version          affiche la version et la licence, et quitte\n"
         "\n"
         "Un préfixe est « occupé » quand un programme y travaille (un serveur Wine, Proton,\n"
         "un jeu) : aucun nettoyage n'y efface rien tant qu'il l'est.\n"
         "\n"
         "Code de sortie : 0 réussite, 1 échec, 2 ligne de commande incorrecte.\n";
}

std::string TexteVersion() {
  return "tidora2000 (Tidora 2000) " TIDORA_VERSION "\n"
         "Copyright © 2000-2026 l'équipe Tidora 2000.\n"
         "Licence GPL-3.0-or-later : GNU GPL version 3 ou ultérieure\n"
         "<https://www.gnu.org/licenses/gpl-3.0.html>.\n"
         "Ceci est un logiciel libre : vous êtes libre de le modifier et de le redistribuer.\n"
         "Il n'y a AUCUNE GARANTIE, dans les limites permises par la loi.\n";
}
