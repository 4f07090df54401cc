#!/usr/bin/env bash
# Package check: builds the Debian package of the built tree with CPack, has lintian check it
# (an error fails the test; warnings are listed), unpacks it with dpkg-deb -x into a temporary
# folder (nothing is installed on this machine), checks its files and its menu entry, then starts
# the unpacked program the way the menu entry does, on a temporary home, until its window shows.
# The entry's Wine action is run with a stand-in program that records the prefix it is given; its
# action that chooses a prefix starts the unpacked program's window on a temporary home.
# Usage: paquet.sh path/to/cpack path/to/CPackConfig.cmake
set -uo pipefail

cpack_exe="${1:?usage: paquet.sh path/to/cpack path/to/CPackConfig.cmake}"
config="${2:?usage: paquet.sh path/to/cpack path/to/CPackConfig.cmake}"
delai="${TIDORA_E2E_DELAI:-30}"
etape="préparation"
travail=""
xvfb_pid=""
app_pid=""

journal="paquet"
source "$(dirname "$0")/../e2e/ecran.sh"

for outil in lintian dpkg-deb desktop-file-validate appstreamcli file; do
  command -v "$outil" >/dev/null ||
    echec "$outil est introuvable (paquets lintian, dpkg-dev, desktop-file-utils, appstream et file)"
done

travail=$(mktemp -d "${TMPDIR:-/tmp}/tidora-paquet.XXXXXX")
nettoyer() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$travail"
}
trap nettoyer EXIT
trap 'exit 1' HUP INT TERM

etape="construction du paquet"
"$cpack_exe" --config "$config" -G DEB -B "$travail/cpack" >"$travail/cpack.log" 2>&1 ||
  echec "cpack a échoué : $(cat "$travail/cpack.log")"
paquets=("$travail"/cpack/*.deb)
[ "${#paquets[@]}" -eq 1 ] && [ -f "${paquets[0]}" ] || echec "pas un seul .deb : ${paquets[*]}"
deb=${paquets[0]}
echo "paquet: $(basename "$deb"), $(stat -c %s "$deb") octets"
echo "paquet: Depends: $(dpkg-deb -f "$deb" Depends)"

etape="lintian"
lintian --fail-on error "$deb" >"$travail/lintian.log" 2>&1
code=$?
sed 's/^/paquet: lintian: /' "$travail/lintian.log"
[ "$code" -eq 0 ] && ! grep -q '^E:' "$travail/lintian.log" || echec "lintian signale des erreurs"

etape="contenu du paquet"
racine="$travail/racine"
dpkg-deb -x "$deb" "$racine" || echec "dpkg-deb -x a échoué"
attendus="usr/bin/tidora2000
usr/share/applications/tidora2000.desktop
usr/share/doc/tidora2000/changelog.Debian.gz
usr/share/doc/tidora2000/copyright
usr/share/icons/hicolor/128x128/apps/tidora2000.png
usr/share/icons/hicolor/scalable/apps/tidora2000.svg
usr/share/man/man1/tidora2000.1.gz
usr/share/metainfo/invalid.tidora2000.tidora2000.metainfo.xml"
presents=$(cd "$racine" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
[ "$presents" = "$attendus" ] ||
  echec "fichiers du paquet inattendus :
$(diff <(echo "$attendus") <(echo "$presents"))"
file -b "$racine/usr/share/icons/hicolor/128x128/apps/tidora2000.png" | grep -q '^PNG image data, 128 x 128' ||
  echec "l'icône PNG ne fait pas 128x128"

etape="ligne de commande"
env -u DISPLAY -u WAYLAND_DISPLAY "$racine/usr/bin/tidora2000" --version >"$travail/version.log" 2>&1 ||
  echec "tidora2000 --version a échoué : $(cat "$travail/version.log")"
grep -q 'GPL-3.0-or-later' "$travail/version.log" || echec "--version ne dit pas la licence"

etape="entrée AppStream"
metainfo="$racine/usr/share/metainfo/invalid.tidora2000.tidora2000.metainfo.xml"
appstreamcli validate --no-net "$metainfo" >"$travail/appstream.log" 2>&1 ||
  echec "appstreamcli validate : $(cat "$travail/appstream.log")"
grep -q '<launchable type="desktop-id">tidora2000.desktop</launchable>' "$metainfo" ||
  echec "l'entrée AppStream ne lance pas tidora2000.desktop"
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$metainfo" ||
  echec "l'entrée AppStream ne dit pas la licence GPL-3.0-or-later"

etape="entrée de menu"
entree="$racine/usr/share/applications/tidora2000.desktop"
desktop-file-validate "$entree" >"$travail/validation.log" 2>&1 ||
  echec "desktop-file-validate : $(cat "$travail/validation.log")"
# The command line of a group of the entry, in the array "commande": the value's escapes first,
# then its quoting, which is that of the shell within double quotes (every reserved character is
# quoted, or desktop-file-validate would have refused the entry).
commande_de() { # group
  local brut texte="" c
  brut=$(sed -n "/^\[$1\]\$/,/^\[/{s/^Exec=//p}" "$entree")
  [ -n "$brut" ] || echec "pas de ligne Exec dans [$1]"
  while [ -n "$brut" ]; do
    c=${brut:0:1}
    brut=${brut:1}
    if [ "$c" = '\' ]; then
      c=${brut:0:1}
      brut=${brut:1}
      case $c in s) c=' ' ;; n) c=$'\n' ;; t) c=$'\t' ;; r) c=$'\r' ;; esac
    fi
    texte+=$c
  done
  eval "commande=($texte)"
}

# The plain entry: the program's own prefix under the user's home, the help file put in it.
etape="démarrage par l'entrée de menu"
demarrer_ecran
maison="$travail/maison"
mkdir -p "$maison"
commande_de "Desktop Entry"
env -u TIDORA_PREFIX -u XDG_DATA_HOME -u WINEPREFIX HOME="$maison" PATH="$racine/usr/bin:$PATH" \
  "${commande[@]}" >"$travail/app.log" 2>&1 &
app_pid=$!
attendre "fenêtre principale à l'écran" visible '$3 == "395x392"'
[ "$(readlink "/proc/$app_pid/exe")" = "$racine/usr/bin/tidora2000" ] ||
  echec "le programme lancé n'est pas celui du paquet : $(readlink "/proc/$app_pid/exe")"
aide="$maison/.local/share/tidora/drive_c/Program Files/Tidora 2000/Tidora2000.hlp"
[ -s "$aide" ] || echec "fichier d'aide absent du préfixe par défaut : $aide"
kill "$app_pid"
wait "$app_pid" 2>/dev/null
app_pid=""

# The Wine action: $WINEPREFIX, else ~/.wine, and only a folder that holds a Wine prefix.
etape="action « Nettoyer le préfixe Wine »"
commande_de "Desktop Action prefixe-wine"
mkdir -p "$travail/faux"
cat >"$travail/faux/tidora2000" <<FIN
#!/bin/sh
printf '%s' "\$TIDORA_PREFIX" >"$travail/recu"
FIN
chmod +x "$travail/faux/tidora2000"
wine_maison="$travail/maison wine"
wine_choisi="$travail/préfixe « choisi » \$HOME \`x\` \"q\""
action() { # WINEPREFIX, or nothing for none
  rm -f "$travail/recu"
  local variable=(-u WINEPREFIX)
  [ $# -gt 0 ] && variable=(WINEPREFIX="$1")
  env -u TIDORA_PREFIX "${variable[@]}" HOME="$wine_maison" PATH="$travail/faux:$PATH" \
    "${commande[@]}" >>"$travail/action.log" 2>&1
}
mkdir -p "$wine_maison"
action && echec "lancée sans préfixe Wine"
[ -e "$travail/recu" ] && echec "programme lancé sans préfixe Wine"
[ -e "$wine_maison/.wine" ] && echec "un préfixe Wine a été créé : $wine_maison/.wine"
mkdir -p "$wine_maison/.wine" "$wine_choisi"
touch "$wine_maison/.wine/system.reg" "$wine_choisi/system.reg"
for cas in "" "$wine_choisi"; do
  if [ -z "$cas" ]; then action; attendu="$wine_maison/.wine"; else action "$cas"; attendu=$cas; fi
  [ "$(cat "$travail/recu" 2>/dev/null)" = "$attendu" ] ||
    echec "préfixe reçu « $(cat "$travail/recu" 2>/dev/null) » au lieu de « $attendu » : $(cat "$travail/action.log")"
done

# The action that chooses a prefix: the window, listing the home's one Wine prefix.
etape="action « Choisir un préfixe Wine ou Proton… »"
commande_de "Desktop Action choisir"
[ "${commande[*]}" = "tidora2000 --choisir" ] || echec "commande inattendue : ${commande[*]}"
grep -qx 'Name=Choisir un préfixe Wine ou Proton…' "$entree" || echec "nom de l'action inattendu"
choix_maison="$travail/maison choix"
mkdir -p "$choix_maison/.wine/drive_c"
touch "$choix_maison/.wine/system.reg"
env -u TIDORA_PREFIX -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u WINEPREFIX HOME="$choix_maison" \
  PATH="$racine/usr/bin:$PATH" "${commande[@]}" >"$travail/choix.log" 2>&1 &
app_pid=$!
attendre "fenêtre de choix à l'écran" visible '$3 == "820x460"'
[[ "$(xdo getwindowname "$(fenetre '$3 == "820x460"')")" == "Choisir un préfixe Wine ou Proton"* ]] ||
  echec "la fenêtre de choix n'a pas son titre"
kill "$app_pid"
wait "$app_pid" 2>/dev/null
app_pid=""
[ -e "$choix_maison/.local/share/tidora" ] && echec "la fenêtre de choix a créé le préfixe du programme"
echo "paquet: paquet construit, vérifié et démarré"
