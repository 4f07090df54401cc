#!/usr/bin/env bash
# End-to-end check, on a real X server: the main window destroyed by another client
# (XDestroyWindow, as a window manager or `xdotool windowclose` does) ends the program, once idle
# and once in the middle of a run, which stops where it is; the options window destroyed so comes
# back when it is next asked for. Usage: destruction.sh path/to/tidora2000
#
# The run is caught in the middle by freezing the program (SIGSTOP) as soon as its first
# deletion shows in the folder's change time; the window is destroyed meanwhile, and the program
# meets the destruction when it thaws, while its run drains the event queue.
set -uo pipefail

exe="${1:?usage: destruction.sh path/to/tidora2000}"
delai="${TIDORA_E2E_DELAI:-30}"
etape="préparation"
travail=""
xvfb_pid=""
app_pid=""

journal="e2e destruction"
source "$(dirname "$0")/ecran.sh"
source "$(dirname "$0")/programme.sh"

etape="démarrage de Xvfb"
demarrer_ecran

etape="destruction au repos"
demarrer_programme
xdo windowclose "$(fenetre "$est_principale")" || echec "xdotool ne peut détruire la fenêtre"
attendre_fin

# A run long enough to be caught: many files of one mask in one folder.
etape="préparation du ménage"
nombre=40000
mkdir -p "$c/Beaucoup"
(cd "$c/Beaucoup" && seq -f 'f%06.0f.tmp' "$nombre" | xargs touch) || echec "fichiers non créés"
demarrer_programme
principale 195 110  # OPTIONS
attendre "fenêtre des options à l'écran" visible "$est_options"

# The options window destroyed from outside comes back the next time it is asked for.
etape="destruction de la fenêtre des options"
xdo windowclose "$(fenetre "$est_options")" || echec "xdotool ne peut détruire la fenêtre"
attendre "disparition de la fenêtre des options" cachee "$est_options"
principale 195 110  # OPTIONS
attendre "fenêtre des options de nouveau à l'écran" visible "$est_options"
attendre "focus sur la fenêtre des options" a_le_focus "$(fenetre "$est_options")"
transitoire_de "$(fenetre "$est_options")" "$(fenetre "$est_principale")" ||
  echec "la nouvelle fenêtre des options n'appartient plus à la fenêtre principale"
options 39 115  # *.tmp
options 50 316  # VALIDER
attendre "fermeture de la fenêtre des options après VALIDER" cachee "$est_options"

etape="destruction pendant le ménage"
id=$(fenetre "$est_principale")
avant=$(stat -c %y "$c/Beaucoup")
principale 99 110  # LANCER
fin=$((SECONDS + delai))
until [ "$(stat -c %y "$c/Beaucoup")" != "$avant" ]; do
  app_vivant || echec "le programme s'est arrêté au lieu de nettoyer"
  [ "$SECONDS" -lt "$fin" ] || echec "le ménage ne commence pas après $delai s"
  sleep 0.01
done
kill -STOP "$app_pid"
xdo windowclose "$id" || echec "xdotool ne peut détruire la fenêtre"
kill -CONT "$app_pid"
attendre_fin
restants=$(find "$c/Beaucoup" -name '*.tmp' | wc -l)
[ "$restants" -gt 0 ] || echec "le ménage a continué jusqu'au bout après la destruction"
[ "$restants" -lt "$nombre" ] || echec "rien n'a été effacé"
echo "e2e destruction : la fenêtre principale détruite du dehors termine le programme (au repos," \
  "et pendant un ménage arrêté avec $restants fichiers sur $nombre restants)"
