#!/usr/bin/env bash
# Runs a Windows test program under Wine on a desktop of its own, drawn on its own virtual X
# display: the shared test prefix's default desktop has no screen, and windows need one.
# Usage: sur_bureau.sh program.exe [arguments]. Exit 77 (skipped) without the test prefix.
set -uo pipefail

exe="${1:?usage: sur_bureau.sh program.exe [arguments]}"
shift
if [ -z "${TIDORA_WINE_PREFIX:-}" ] || [ -z "${TIDORA_WINE_HOME:-}" ]; then
  echo "Pas de préfixe Wine de test (TIDORA_WINE_PREFIX, TIDORA_WINE_HOME) : ignoré"
  exit 77
fi
command -v Xvfb >/dev/null || { echo "Xvfb est introuvable (paquet xvfb)"; exit 1; }

travail=$(mktemp -d "${TMPDIR:-/tmp}/tidora-bureau.XXXXXX")
# The program and its report stay on drive C: the test prefix has no drive for the host's files.
sur_c=$(mktemp -d "$TIDORA_WINE_PREFIX/drive_c/tidora-bureau.XXXXXX")
c="C:\\$(basename "$sur_c")"
xvfb_pid=""
nettoyer() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$travail" "$sur_c"
}
trap nettoyer EXIT

source "$(dirname "$0")/../../support/xvfb.sh"
xvfb_demarrer 1280x1024

wine_() {
  HOME="$TIDORA_WINE_HOME" WINEPREFIX="$TIDORA_WINE_PREFIX" WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=":$(head -n1 "$travail/ecran")" "$@"
}
cp "$exe" "$sur_c/programme.exe"
resultat="$sur_c/resultat.xml"
# The desktop's own explorer opens the display; its programs draw there. It does not pass the
# program's exit code on: the verdict comes from the program's report.
(cd "$sur_c" && wine_ timeout 300 wine explorer "/desktop=tidora$$,1024x768" \
  "$c\\programme.exe" "--gtest_output=xml:$c\\resultat.xml" "$@" >/dev/null 2>&1)
if [ ! -s "$resultat" ]; then
  echo "Le programme n'a rien rapporté : $exe"
  exit 1
fi
tr -d '\r' <"$resultat" | grep -E '<testcase|<failure' | sed -E 's/^ *//' | cut -c1-200
ligne=$(grep -m1 '<testsuites' "$resultat")
tests=$(sed -nE 's/.* tests="([0-9]+)".*/\1/p' <<<"$ligne")
echecs=$(sed -nE 's/.* failures="([0-9]+)".*/\1/p' <<<"$ligne")
erreurs=$(sed -nE 's/.* errors="([0-9]+)".*/\1/p' <<<"$ligne")
echo "$tests tests, $echecs échecs, $erreurs erreurs"
[ "${tests:-0}" -gt 0 ] && [ "${echecs:-1}" -eq 0 ] && [ "${erreurs:-1}" -eq 0 ]
