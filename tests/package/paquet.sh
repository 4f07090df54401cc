#!/usr/bin/env bash
# Package check: builds the Debian package of the built tree with CPack, has lintian check it
# (an error fails the test, and so does any sign of a build without Debian's hardening; warnings
# are listed), checks the program's hardening in its ELF file, unpacks the package with
# dpkg-deb -x into a temporary folder (nothing is installed on this machine), checks its files,
# its copyright years, its AppStream entry and its menu entry (English with French translations),
# then starts the unpacked program the way the menu entry and its action do, on temporary homes,
# until their windows show.
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

for outil in lintian dpkg-deb desktop-file-validate appstreamcli file readelf; do
  command -v "$outil" >/dev/null ||
    echec "$outil est introuvable (paquets lintian, dpkg-dev, desktop-file-utils, appstream, file et binutils)"
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
# Every tag, the informational ones too (a build without BIND_NOW or without fortified functions
# is only told at that level), however many times each one occurs.
lintian --fail-on error --display-info --tag-display-limit 0 "$deb" >"$travail/lintian.log" 2>&1
code=$?
sed 's/^/paquet: lintian: /' "$travail/lintian.log"
[ "$code" -eq 0 ] && ! grep -q '^E:' "$travail/lintian.log" || echec "lintian signale des erreurs"
! grep -q ' hardening-no-' "$travail/lintian.log" ||
  echec "construit sans les protections de Debian : $(grep ' hardening-no-' "$travail/lintian.log")"

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

# What lintian infers, read in the program itself: a position-independent executable, its
# relocations read-only (GNU_RELRO) and all bound at start-up (BIND_NOW), the stack protector and
# the checked variants of the C library's functions among the symbols it imports.
etape="protections du programme"
programme="$racine/usr/bin/tidora2000"
readelf -hW "$programme" | grep -Eq '^ *Type: +DYN ' || echec "le programme n'est pas un exécutable PIE"
readelf -lW "$programme" | grep -q '^ *GNU_RELRO ' || echec "le programme n'a pas de segment GNU_RELRO"
readelf -dW "$programme" | grep -Eq '\((FLAGS|FLAGS_1)\) +(Flags: )?.*\b(BIND_NOW|NOW)\b' ||
  echec "le programme ne lie pas ses symboles au démarrage (BIND_NOW)"
symboles=$(readelf --dyn-syms -W "$programme" | awk '$7 == "UND" {sub(/@.*/, "", $8); print $8}')
grep -qx '__stack_chk_fail' <<<"$symboles" || echec "le programme est construit sans protection de la pile"
grep -Eqx '__[a-z0-9_]+_chk' <<<"$symboles" || echec "le programme n'appelle aucune fonction vérifiée"
echo "paquet: fonctions vérifiées : $(grep -Ex '__[a-z0-9_]+_chk' <<<"$symboles" | sort -u | tr '\n' ' ')"
# devscripts' own check, when installed, of the same (control-flow protection is not among
# Debian's defaults).
if command -v hardening-check >/dev/null; then
  hardening-check --nocfprotection "$programme" >"$travail/hardening.log" 2>&1 ||
    echec "hardening-check : $(cat "$travail/hardening.log")"
fi

etape="ligne de commande"
env -u DISPLAY -u WAYLAND_DISPLAY "$racine/usr/bin/tidora2000" --version >"$travail/version.log" 2>&1 ||
  echec "tidora2000 --version a échoué : $(cat "$travail/version.log")"
grep -q 'GPL-3.0-or-later' "$travail/version.log" || echec "--version ne dit pas la licence"
# The years of the notice are this program's own: the same in --version and in the copyright
# file, from the year of the first entry of the changelog to at least that of its latest.
annees_de() { # file
  sed -n "s/^Copyright © \([0-9]\{4\}\(-[0-9]\{4\}\)\{0,1\}\) l'équipe Tidora 2000\b.*/\1/p" "$1"
}
annees=$(annees_de "$travail/version.log")
[ -n "$annees" ] || echec "--version sans ligne « Copyright © ANNÉES l'équipe Tidora 2000 » : $(cat "$travail/version.log")"
[ "$(annees_de "$racine/usr/share/doc/tidora2000/copyright")" = "$annees" ] ||
  echec "années de --version ($annees) et du fichier copyright différentes"
dates=$(zcat "$racine/usr/share/doc/tidora2000/changelog.Debian.gz" |
  sed -n 's/^ -- .*  [A-Z][a-z][a-z], [0-9]\{1,2\} [A-Z][a-z][a-z] \([0-9]\{4\}\) .*/\1/p')
[ -n "$dates" ] || echec "pas de date dans le changelog"
premiere=$(tail -n 1 <<<"$dates")
derniere=$(head -n 1 <<<"$dates")
[ "${annees%%-*}" = "$premiere" ] ||
  echec "les années « $annees » ne commencent pas par celle du premier paquet, $premiere"
[ "${annees##*-}" -ge "$derniere" ] ||
  echec "les années « $annees » s'arrêtent avant celle du dernier paquet, $derniere"

etape="entrée AppStream"
metainfo="$racine/usr/share/metainfo/invalid.tidora2000.tidora2000.metainfo.xml"
appstreamcli validate --no-net "$metainfo" >"$travail/appstream.log" 2>&1 ||
  echec "appstreamcli validate : $(cat "$travail/appstream.log")"
grep -q '<launchable type="desktop-id">tidora2000.desktop</launchable>' "$metainfo" ||
  echec "l'entrée AppStream ne lance pas tidora2000.desktop"
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$metainfo" ||
  echec "l'entrée AppStream ne dit pas la licence GPL-3.0-or-later"
grep -Eq '<url type="homepage">https://[^<]+</url>' "$metainfo" ||
  echec "l'entrée AppStream n'a pas de page d'accueil"
# English by default, each text translated into French beside it: the name, the summary and every
# paragraph of the description.
for balise in name summary; do
  grep -Eq "^ *<$balise>[^<]+</$balise>" "$metainfo" || echec "pas de <$balise> par défaut"
  grep -Eq "^ *<$balise xml:lang=\"fr\">[^<]+</$balise>" "$metainfo" || echec "pas de <$balise> en français"
done
grep -q '<summary>Trace cleaner for Wine and Proton prefixes</summary>' "$metainfo" ||
  echec "le résumé par défaut n'est pas en anglais"
grep -q '<summary xml:lang="fr">Nettoyeur de traces pour les préfixes Wine et Proton</summary>' "$metainfo" ||
  echec "le résumé en français est absent"
paragraphes=$(grep -c '^ *<p>$' "$metainfo")
[ "$paragraphes" -gt 0 ] && [ "$(grep -c '^ *<p xml:lang="fr">$' "$metainfo")" -eq "$paragraphes" ] ||
  echec "la description n'a pas autant de paragraphes en français qu'en anglais"
grep -q '^ *Tidora 2000 efface les traces' "$metainfo" ||
  echec "la description en français est absente"

etape="entrée de menu"
entree="$racine/usr/share/applications/tidora2000.desktop"
desktop-file-validate "$entree" >"$travail/validation.log" 2>&1 ||
  echec "desktop-file-validate : $(cat "$travail/validation.log")"
# A key of a group of the entry, localised or not ("Name", "Name[fr]"), or nothing.
cle_de() { # group key
  sed -n "/^\[$1\]\$/,/^\[/{s/^$(sed 's/[][]/\\&/g' <<<"$2")=//p}" "$entree"
}
# English by default, French beside it.
cles_attendues=(
  "Name|Tidora 2000|Tidora 2000"
  "GenericName|Trace Cleaner|Nettoyeur de traces"
  "Comment|Clean the cache, history, cookies*|Efface le cache, l'historique, les cookies*"
)
# shellcheck disable=SC2053 # the expected texts are patterns
for attendue in "${cles_attendues[@]}"; do
  IFS='|' read -r cle anglais francais <<<"$attendue"
  [[ "$(cle_de "Desktop Entry" "$cle")" == $anglais ]] ||
    echec "$cle n'est pas « $anglais » : « $(cle_de "Desktop Entry" "$cle") »"
  [[ "$(cle_de "Desktop Entry" "${cle}[fr]")" == $francais ]] ||
    echec "${cle}[fr] n'est pas « $francais » : « $(cle_de "Desktop Entry" "${cle}[fr]") »"
done
[ -n "$(cle_de "Desktop Entry" "Keywords[fr]")" ] || echec "pas de Keywords[fr]"
# One action, the demonstration prefix; the prefix of Wine is cleaned from the window that lists
# every prefix.
[ "$(cle_de "Desktop Entry" Actions)" = "demonstration;" ] ||
  echec "actions inattendues : $(cle_de "Desktop Entry" Actions)"
[ "$(grep -c '^\[Desktop Action ' "$entree")" -eq 1 ] || echec "groupes d'actions en trop : $(grep '^\[' "$entree")"
[ "$(cle_de "Desktop Action demonstration" Name)" = "Try on a demonstration prefix" ] &&
  [ "$(cle_de "Desktop Action demonstration" "Name[fr]")" = "Essayer sur un préfixe de démonstration" ] ||
  echec "noms de l'action inattendus : $(grep '^Name' "$entree" | tr '\n' ';')"
commande=()
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

commande_de "Desktop Entry"
[ "${commande[*]}" = "tidora2000 --choisir" ] || echec "commande de l'entrée inattendue : ${commande[*]}"
principale=("${commande[@]}")
commande_de "Desktop Action demonstration"
[ "${commande[*]}" = "tidora2000" ] || echec "commande de l'action inattendue : ${commande[*]}"
demonstration=("${commande[@]}")

# The window that chooses a prefix, on a home holding one Wine prefix: the program's own prefix is
# not made.
etape="démarrage par l'entrée de menu"
demarrer_ecran
choix_maison="$travail/maison choix"
mkdir -p "$choix_maison/.wine/drive_c"
touch "$choix_maison/.wine/system.reg"
env -u TIDORA_PREFIX -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u WINEPREFIX HOME="$choix_maison" \
  PATH="$racine/usr/bin:$PATH" "${principale[@]}" >"$travail/app.log" 2>&1 &
app_pid=$!
fenetre_de_choix() {
  local w
  for w in $(xdo search --onlyvisible --class tidora2000 2>/dev/null); do
    [[ "$(xdo getwindowname "$w" 2>/dev/null)" == "Tidora 2000 — Préfixes Wine et Proton" ]] && return 0
  done
  return 1
}
attendre "fenêtre « Tidora 2000 — Préfixes Wine et Proton » à l'écran" fenetre_de_choix
[ "$(readlink "/proc/$app_pid/exe")" = "$racine/usr/bin/tidora2000" ] ||
  echec "le programme lancé n'est pas celui du paquet : $(readlink "/proc/$app_pid/exe")"
kill "$app_pid"
wait "$app_pid" 2>/dev/null
app_pid=""
[ -e "$choix_maison/.local/share/tidora" ] && echec "la fenêtre de choix a créé le préfixe du programme"

# The demonstration: the program's own prefix under the user's home, the help file put in it.
etape="action « Essayer sur un préfixe de démonstration »"
maison="$travail/maison"
mkdir -p "$maison"
env -u TIDORA_PREFIX -u XDG_DATA_HOME -u WINEPREFIX HOME="$maison" PATH="$racine/usr/bin:$PATH" \
  "${demonstration[@]}" >"$travail/app.log" 2>&1 &
app_pid=$!
attendre "fenêtre principale à l'écran" visible '$3 == "395x392"'
[ "$(readlink "/proc/$app_pid/exe")" = "$racine/usr/bin/tidora2000" ] ||
  echec "le programme lancé n'est pas celui du paquet : $(readlink "/proc/$app_pid/exe")"
aide="$maison/.local/share/tidora/drive_c/Program Files/Tidora 2000/Tidora2000.hlp"
[ -s "$aide" ] || echec "fichier d'aide absent du préfixe par défaut : $aide"
kill "$app_pid"
wait "$app_pid" 2>/dev/null
app_pid=""
echo "paquet: paquet construit, vérifié et démarré"
