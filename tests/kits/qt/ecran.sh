#!/usr/bin/env bash
# Runs the screen tests of the Qt kit (EcranTest) on an X server of their own: a 1280x800 screen
# drawn at a scale of 2, where both skinned windows would fall off it, and where the titles are
# read back from the window system. Usage: ecran.sh kit_qt_tests.
set -uo pipefail

programme="${1:?usage: ecran.sh kit_qt_tests}"
for outil in Xvfb xprop; do
  command -v "$outil" >/dev/null ||
    { echo "$outil est introuvable (paquets xvfb, x11-utils)"; exit 1; }
done

travail=$(mktemp -d "${TMPDIR:-/tmp}/tidora-echelle.XXXXXX")
xvfb_pid=""
nettoyer() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$travail"
}
trap nettoyer EXIT

source "$(dirname "$0")/../../support/xvfb.sh"
xvfb_demarrer 1280x800

DISPLAY=":$(head -n1 "$travail/ecran")" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=2 \
  XDG_RUNTIME_DIR="$travail" timeout 300 "$programme" --gtest_filter='EcranTest.*'
