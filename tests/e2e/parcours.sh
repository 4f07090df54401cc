#!/usr/bin/env bash
# End-to-end check: starts the real program on its own virtual X display and its own prefix,
# asks for a run before validating (the options window comes), checks every choice, validates,
# runs, answers the summary, quits, then compares the prefix with what must be gone and what
# must stay. Usage: parcours.sh path/to/tidora2000
set -uo pipefail

exe="${1:?usage: parcours.sh path/to/tidora2000}"
echec() { echo "e2e: ÉCHEC : $*" >&2; exit 1; }

for outil in Xvfb xdotool; do
  command -v "$outil" >/dev/null ||
    echec "$outil est introuvable (paquets xvfb et xdotool, voir scripts/setup.sh)"
done
[ -x "$exe" ] || echec "programme introuvable : $exe"

travail=$(mktemp -d "${TMPDIR:-/tmp}/tidora-e2e.XXXXXX")
prefixe="$travail/prefixe"
c="$prefixe/drive_c"
xvfb_pid=""
app_pid=""
nettoyer() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$travail"
}
trap nettoyer EXIT
trap 'exit 1' INT TERM

# A display of our own, from :137 up: the first number whose server starts and stays up.
for n in $(seq 137 199); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$travail/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  # A server that lost the race for this number exits at once: give it the time to.
  sleep 0.3
  if kill -0 "$xvfb_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
    export DISPLAY=":$n"
    break
  fi
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=""
done
[ -n "$xvfb_pid" ] || echec "Xvfb ne démarre pas : $(cat "$travail/xvfb.log")"
echo "e2e: écran $DISPLAY, préfixe $prefixe"

# Windows by their screen geometry "x,y wxh" among the visible ones.
fenetres() {
  local w
  for w in $(xdotool search --onlyvisible --class tidora2000 2>/dev/null); do
    xdotool getwindowgeometry "$w" 2>/dev/null |
      awk -v id="$w" '/Position/ {split($2, p, ",")} /Geometry/ {print id, p[1] "," p[2], $2}'
  done
}
attendre() { # description, awk condition on "id x,y wxh"
  local i
  for i in $(seq 150); do
    fenetres | awk "$2 {found=1} END {exit !found}" && return 0
    kill -0 "$app_pid" 2>/dev/null || echec "le programme s'est arrêté ($1)"
    sleep 0.1
  done
  echec "$1 : rien à l'écran ; fenêtres : $(fenetres | tr '\n' ';')"
}
# Click at client coordinates of the main window (325,171) or the options window (371,326):
# with no window manager, screen coordinates are the window's position plus these.
principale() { xdotool mousemove $((325 + $1)) $((171 + $2)) click "${3:-1}"; sleep 0.15; }
options() { xdotool mousemove $((371 + $1)) $((326 + $2)) click 1; sleep 0.05; }

# First start on a brand-new prefix: the profile and its sample traces are created.
TIDORA_PREFIX="$prefixe" "$exe" >"$travail/app.log" 2>&1 &
app_pid=$!
attendre "fenêtre principale" '$2 == "325,171" && $3 == "395x392"'
[ -f "$c/Program Files/Tidora 2000/Tidora2000.hlp" ] || echec "fichier d'aide non installé"
[ -f "$c/Mes documents/lettre.bak" ] || echec "traces d'exemple absentes"

# Our own files, beside the samples.
mkdir -p "$c/Projets/sous" "$c/windows/TEMP/cache"
echo x >"$c/Projets/notes.tmp"
echo x >"$c/Projets/sous/ancien.bak"
echo x >"$c/Projets/sous/journal.log"
echo x >"$c/Projets/rapport.doc"
echo x >"$c/windows/TEMP/cache/page.html"
echo x >"$c/windows/TEMP/index.dat"

# A start before any validation brings the options window.
principale 99 110 3
attendre "fenêtre des options" '$2 == "371,326" && $3 == "485x349"'
[ -f "$c/Projets/notes.tmp" ] || echec "un lancement non validé a supprimé des fichiers"

# Every choice, then VALIDER.
for case in "224 108" "240 152" "240 174" "240 196" "240 218" "240 240" "240 262" "240 284" \
  "32 107" "32 129" "32 151" "32 173" "32 194" "120 107" "120 129" "120 151" "120 173"; do
  set -- $case
  options $(($1 + 7)) $(($2 + 8))
done
options 50 316
sleep 0.3
[ -f "$c/Program Files/Tidora 2000/options.ini" ] || echec "options.ini non écrit"
grep -q '^xt9=\*\.\$\*' "$c/Program Files/Tidora 2000/options.ini" ||
  echec "options.ini incomplet : $(cat "$c/Program Files/Tidora 2000/options.ini")"
fenetres | grep -q ' 371,326 ' && echec "la fenêtre des options reste affichée après validation"

# LANCER, then wait for the summary box and answer it.
principale 99 110
attendre "boîte de résumé" '$3 != "395x392" && $3 != "485x349" && $3 !~ /^[0-9]x/'
xdotool key Return
sleep 0.3
if fenetres | awk '$3 != "395x392" && $3 !~ /^[0-9]x/ {f=1} END {exit !f}'; then
  echec "la boîte de résumé ne se ferme pas avec Entrée"
fi

# The prefix now: traces gone, documents and indexes kept.
doivent_partir=(
  "Projets/notes.tmp" "Projets/sous/ancien.bak" "Projets/sous/journal.log"
  "windows/TEMP/cache/page.html" "Mes documents/lettre.bak" "Mes documents/brouillon.tmp"
  "Mes documents/Projets/compte rendu.old" "windows/SYSBCKUP/rb000.cab" "windows/setupact.log"
  "Program Files/Jeux/partie.chk"
)
doivent_rester=(
  "Projets/rapport.doc" "windows/TEMP/index.dat" "Mes documents/lettre.doc"
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
principale 314 55
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && echec "le programme ne se ferme pas"
wait "$app_pid"
code=$?
app_pid=""
[ "$code" -eq 0 ] || echec "code de sortie $code : $(cat "$travail/app.log")"
echo "e2e: parcours complet réussi"
