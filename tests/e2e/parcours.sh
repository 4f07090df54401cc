#!/usr/bin/env bash
# End-to-end check: starts the real program on its own virtual X display and its own prefix,
# asks for a run before validating (the options window comes), checks every choice, validates,
# runs, answers the summary, quits, then compares the prefix with what must be gone and what
# must stay. Usage: parcours.sh path/to/tidora2000
#
# No step relies on a fixed pause: after each action the script waits for what the program must
# visibly do (a window mapped or gone, the input focus, a file written, the process ended), up
# to TIDORA_E2E_DELAI seconds (30 by default), so that a loaded machine only makes it slower.
set -uo pipefail

exe="${1:?usage: parcours.sh path/to/tidora2000}"
delai="${TIDORA_E2E_DELAI:-30}"
etape="préparation"
travail=""
xvfb_pid=""
app_pid=""

journal="e2e"
source "$(dirname "$0")/ecran.sh"
source "$(dirname "$0")/programme.sh"

est_resume='$3 != "395x392" && $3 != "485x349" && $3 !~ /^[0-9]x/'

etape="démarrage de Xvfb"
demarrer_ecran
echo "e2e: écran $DISPLAY, préfixe $prefixe"


# First start on a brand-new prefix: the profile and its sample traces are created.
etape="démarrage du programme"
demarrer_programme
[ -f "$c/Program Files/Tidora 2000/Tidora2000.hlp" ] || echec "fichier d'aide non installé"
[ -f "$c/Mes documents/lettre.bak" ] || echec "traces d'exemple absentes"

# Our own files, beside the samples.
mkdir -p "$c/Projets/sous" "$c/windows/temp/cache"
echo x >"$c/Projets/notes.tmp"
echo x >"$c/Projets/sous/ancien.bak"
echo x >"$c/Projets/sous/journal.log"
echo x >"$c/Projets/rapport.doc"
echo x >"$c/windows/temp/cache/page.html"
echo x >"$c/windows/temp/index.dat"

# A start before any validation brings the options window. It takes the input focus once the
# program has handled its mapping: from then on it receives the clicks on its boxes.
etape="lancement avant validation"
ini="$c/Program Files/Tidora 2000/options.ini"
principale 99 110 3
attendre "fenêtre des options à l'écran" visible "$est_options"
id_options=$(fenetre "$est_options")
attendre "focus sur la fenêtre des options" a_le_focus "$id_options"
transitoire_de "$id_options" "$(fenetre "$est_principale")" ||
  echec "la fenêtre des options n'appartient pas à la fenêtre principale (WM_TRANSIENT_FOR)"
[ -f "$c/Projets/notes.tmp" ] || echec "un lancement non validé a supprimé des fichiers"
[ -e "$ini" ] && echec "options.ini écrit sans validation : $(cat "$ini")"

# Every choice, then VALIDER. The clicks reach the program in order, so once options.ini is there
# every box has been handled; the file is replaced whole, never seen half-written.
etape="validation des options"
for case in "224 108" "240 152" "240 174" "240 196" "240 218" "240 240" "240 262" "240 284" \
  "32 107" "32 129" "32 151" "32 173" "32 194" "120 107" "120 129" "120 151" "120 173"; do
  set -- $case
  options $(($1 + 7)) $(($2 + 8))
done
options 50 316
attendre "fichier options.ini écrit après VALIDER" test -f "$ini"
attendues=(
  '\[Dossiers\]' 'Cache=C:\\.+' 'History=C:\\.+' 'Recent=C:\\.+' 'Cookies=C:\\.+'
  'DocFind=\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Doc Find Spec MRU'
  'Temp=C:\\windows\\temp' 'Sbdr=C:\\windows\\SYSBCKUP'
  'TypedURL=\\Software\\Microsoft\\Internet Explorer\\TypedURLs'
  '\[Fichiers\]' 'xt1=\*\.tmp' 'xt2=\*\.bak' 'xt3=\*\.gid' 'xt4=\*\.chk' 'xt5=\*\.log'
  'xt6=\*\.old' 'xt7=\*\.---' 'xt8=\*\.~\*' 'xt9=\*\.\$\*'
)
lignes=$(tr -d '\r' <"$ini")
manquantes=""
for motif in "${attendues[@]}"; do
  grep -qxE -- "$motif" <<<"$lignes" || manquantes+=" $motif"
done
if [ -n "$manquantes" ] || [ "$(wc -l <<<"$lignes")" -ne "${#attendues[@]}" ]; then
  echec "options.ini ne reflète pas toutes les cases cochées (manque :${manquantes:- rien, lignes en trop}) :
$lignes"
fi
attendre "fermeture de la fenêtre des options après VALIDER" cachee "$est_options"

# LANCER, then the summary box: once it has the focus, Entrée closes it.
etape="nettoyage et résumé"
principale 99 110
attendre "boîte de résumé à l'écran" visible "$est_resume"
id_resume=$(fenetre "$est_resume")
attendre "focus sur la boîte de résumé" a_le_focus "$id_resume"
xdo key Return || echec "xdotool ne peut taper Entrée"
attendre "fermeture de la boîte de résumé par Entrée (seule la fenêtre principale reste)" \
  cachee '$3 != "395x392" && $3 !~ /^[0-9]x/'

# The prefix now: traces gone, documents and indexes kept. The summary comes once the run is
# over, so everything must already be in its final state.
etape="contrôle du préfixe"
doivent_partir=(
  "Projets/notes.tmp" "Projets/sous/ancien.bak" "Projets/sous/journal.log"
  "windows/temp/cache/page.html" "Mes documents/lettre.bak" "Mes documents/brouillon.tmp"
  "Mes documents/Projets/compte rendu.old" "windows/SYSBCKUP/rb000.cab" "windows/setupact.log"
  "Program Files/Jeux/partie.chk"
)
doivent_rester=(
  "Projets/rapport.doc" "windows/temp/index.dat" "Mes documents/lettre.doc"
  "Mes documents/Projets/compte rendu.txt" "Program Files/Tidora 2000/options.ini"
  "Program Files/Tidora 2000/Tidora2000.hlp"
)
for f in "${doivent_partir[@]}"; do [ -e "$c/$f" ] && echec "encore là : $f"; done
for f in "${doivent_rester[@]}"; do [ -e "$c/$f" ] || echec "disparu : $f"; done
[ "$(find "$c" -path '*AppData*' -type f ! -name index.dat | wc -l)" -eq 0 ] ||
  echec "traces de navigation restantes : $(find "$c" -path '*AppData*' -type f ! -name index.dat)"
[ "$(find "$c" -path '*AppData*' -name index.dat | wc -l)" -ge 3 ] || echec "index.dat supprimé"
grep -q '"url1"' "$prefixe/user.reg" && echec "adresses tapées non purgées"

# The close mark ends the program.
etape="fermeture"
principale 314 55
attendre_fin
echo "e2e: parcours complet réussi"
