#!/usr/bin/env bash
# End-to-end check of the Windows program under Wine: it runs in the test prefix on a Wine
# desktop of its own, drawn on its own virtual X display. Wine's windows are then not X windows,
# so each step waits for what the program visibly does on the screen (its skins' pixels where
# its windows must be) or on the disk (the options file, the files gone), up to
# TIDORA_E2E_DELAI seconds (30 by default). The run chooses only a mask of its own, so that it
# deletes nothing but the files this script made. A second start, on a screen at 150 % (144 DPI,
# Wine's LogPixels), finds everything half as large again: skins, outline and press zones; the
# options window opens with its first box focused.
# Usage: parcours_windows.sh Tidora2000.exe Tidora2000.hlp resources/ (skipped: exit 77, without
# the test prefix of scripts/wine.sh).
set -uo pipefail

exe="${1:?usage: parcours_windows.sh Tidora2000.exe Tidora2000.hlp resources/}"
aide="${2:?}"
ressources="${3:?}"
delai="${TIDORA_E2E_DELAI:-30}"
etape="préparation"
travail=""
xvfb_pid=""
app_pid=""
dossier=""

journal="e2e windows"
source "$(dirname "$0")/ecran.sh"

if [ -z "${TIDORA_WINE_PREFIX:-}" ] || [ -z "${TIDORA_WINE_HOME:-}" ]; then
  echo "Pas de préfixe Wine de test (TIDORA_WINE_PREFIX, TIDORA_WINE_HOME) : ignoré"
  exit 77
fi
for outil in import convert; do
  command -v "$outil" >/dev/null || echec "$outil est introuvable (paquet imagemagick)"
done

travail=$(mktemp -d "${TMPDIR:-/tmp}/tidora-e2e-windows.XXXXXX")
# The program, its help and the files to clean, on drive C of the test prefix.
dossier=$(mktemp -d "$TIDORA_WINE_PREFIX/drive_c/tidora-e2e.XXXXXX")
c="C:\\$(basename "$dossier")"
wine_() {
  HOME="$TIDORA_WINE_HOME" WINEPREFIX="$TIDORA_WINE_PREFIX" WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml=" timeout 60 "$@"
}
cle_ecran='HKCU\Control Panel\Desktop'
nettoyer() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  # A program left behind by a failed step; the prefix's screen at its own scale again.
  wine_ wine taskkill /f /im Tidora2000.exe >/dev/null 2>&1
  wine_ wine reg delete "$cle_ecran" /v LogPixels /f >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$travail" "$dossier"
}
trap nettoyer EXIT
trap 'exit 1' HUP INT TERM

cp "$exe" "$dossier/Tidora2000.exe"
cp "$aide" "$dossier/Tidora2000.hlp"
mkdir -p "$dossier/donnees/sous"
for f in a b sous/c; do echo x >"$dossier/donnees/$f.e2etidora"; done
echo x >"$dossier/donnees/garder.txt"

# The colour of a screen point, and of a skin's point ("r,g,b").
rgb() { tail -n1 | sed -nE 's/.*\(([0-9]+),([0-9]+),([0-9]+).*/\1,\2,\3/p'; }
couleur() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | rgb; }
couleur_skin() { convert "$ressources/$1" -crop "1x1+$2+$3" -depth 8 txt:- | rgb; }
# True when the screen point shows the skin's point (JPEG decoders may differ by a few levels).
montre() { # skin x y screen-x screen-y
  local a b
  a=$(couleur_skin "$1" "$2" "$3")
  b=$(couleur "$4" "$5")
  [ -n "$b" ] || return 1
  awk -v a="$a" -v b="$b" 'BEGIN { split(a, x, ","); split(b, y, ",");
    for (i = 1; i <= 3; i++) { d = x[i] - y[i]; if (d < -12 || d > 12) exit 1 } }'
}
# The windows' places, sizes and points are those of a 96 DPI screen, scaled by the screen's DPI
# as the system's MulDiv rounds.
dpi=96
px() { echo $((($1 * dpi + 48) / 96)); }
# The screen point of a window's client point: principale|options x y.
point() {
  case $1 in
    principale) echo $(($(px 325) + $(px "$2"))) $(($(px 171) + $(px "$3"))) ;;
    options) echo $(($(px 371) + $(px "$2"))) $(($(px 326) + $(px "$3"))) ;;
  esac
}
principale_visible() { montre principale.jpg 60 200 $(point principale 60 200); }
options_visible() { montre options.jpg 240 20 $(point options 240 20); }
# A point outside the window's outline shows the desktop, as its corner does.
hors_forme() { # principale|options x y
  local a b
  a=$(couleur $(point "$@"))
  b=$(couleur 2 2)
  [ -n "$a" ] && [ "$a" = "$b" ]
}
options_cachee() { ! options_visible; }
fichier_contient() { grep -q "$2" "$1" 2>/dev/null; }
nettoye() { [ ! -e "$dossier/donnees/a.e2etidora" ] && [ ! -e "$dossier/donnees/sous/c.e2etidora" ]; }
programme_fini() { ! app_vivant; }

cliquer() { xdo mousemove --sync "$1" "$2" click 1 || echec "xdotool ne peut cliquer en $1,$2"; }
principale() { cliquer $(point principale "$1" "$2"); }
options() { cliquer $(point options "$1" "$2"); }

# Room for both windows at 150 %.
ecran=1400x1100
etape="démarrage de Xvfb"
demarrer_ecran "$ecran"

demarrer() {
  (cd "$dossier" && exec env HOME="$TIDORA_WINE_HOME" WINEPREFIX="$TIDORA_WINE_PREFIX" \
    WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    wine explorer "/desktop=tidora-e2e,$ecran" "$c\\Tidora2000.exe") >"$travail/app.log" 2>&1 &
  app_pid=$!
  attendre "fenêtre principale peinte" principale_visible
  hors_forme principale 8 8 || echec "la fenêtre principale n'est pas ronde"
}

etape="démarrage du programme"
demarrer

etape="options avant toute validation"
principale 99 110  # LANCER: the options window comes instead of a run
attendre "fenêtre des options" options_visible
[ -e "$dossier/options.ini" ] && echec "options.ini écrit sans validation"

etape="validation d'un masque libre"
options 100 263  # the edit box
xdo type --delay 20 '*.e2etidora'
options 50 316  # VALIDER
attendre "options.ini avec le masque" fichier_contient "$dossier/options.ini" 'xt11=\*\.e2etidora'
attendre "fenêtre des options cachée" options_cachee

etape="ménage"
principale 99 110  # LANCER
attendre "fichiers du masque effacés" nettoye
[ -e "$dossier/donnees/garder.txt" ] || echec "garder.txt effacé"

etape="résumé puis quitter"
sleep 1
xdo key Return  # the summary box
principale 314 55  # the close mark
attendre "fin du programme" programme_fini

etape="écran à 150 %"
wine_ wine reg add "$cle_ecran" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1 ||
  echec "LogPixels non écrit"
dpi=144
demarrer
principale 195 110  # OPTIONS
attendre "fenêtre des options à 150 %" options_visible
hors_forme options 482 346 || echec "la fenêtre des options n'a pas ses coins arrondis"
# The first box has the focus: Space checks it ("Vider le cache d'I.E.").
xdo mousemove --sync $(point options 300 60) && xdo key space || echec "xdotool ne peut taper Espace"
options 50 316  # VALIDER
attendre "options.ini avec le cache" fichier_contient "$dossier/options.ini" '^Cache=C:'
attendre "fenêtre des options cachée" options_cachee
principale 314 55  # the close mark
attendre "fin du programme" programme_fini
echo "e2e windows : parcours complet réussi (à 100 % puis à 150 %)"
