#!/usr/bin/env bash
# Cleaning a real Wine prefix: the one ./test makes (scripts/wine.sh). Traces go in through
# Wine's own tools, links lead to canary files in the scratch HOME; then, with a server running,
# a validation (it writes nothing to user.reg) goes through and a run is refused, nothing
# deleted; then a run with no server cleans; Wine must then see exactly the expected values and
# still start.
# Usage: prefixe_reel.sh path/to/menage_wine
set -uo pipefail

driver="${1:?usage: prefixe_reel.sh path/to/menage_wine}"
if [ -z "${TIDORA_WINE_PREFIX:-}" ] || [ -z "${TIDORA_WINE_HOME:-}" ]; then
  echo "wine: TIDORA_WINE_PREFIX n'est pas défini (./test prépare le préfixe Wine) : vérification sautée"
  exit 77
fi
P="$TIDORA_WINE_PREFIX"
export HOME="$TIDORA_WINE_HOME" WINEPREFIX="$P" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
export TIDORA_PREFIX="$P"
travail=$(mktemp -d "${TMPDIR:-/tmp}/tidora-wine.XXXXXX")
etape="préparation"

# The server stopped on every way out; what this check added to the prefix and the scratch
# HOME goes, so that the next checks on the shared prefix find it as Wine made it.
fin() {
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  rm -rf "$travail" "${canaris:-}" "$HOME"/canari.* "$P/drive_c/ProgramData/Essai" \
    "$P/drive_c/Program Files/Tidora 2000" "$P/drive_c/windows/temp/lien" \
    "$P/drive_c/windows/temp/pendant.tmp" "$P/drive_c/tidora-export.reg"
  [ -n "${cache:-}" ] && rm -f "$cache/dossier-lien" "$cache/fichier-lien.htm"
  return 0
}
trap fin EXIT

echec() {
  echo "wine: ÉCHEC à l'étape « $etape » : $*" >&2
  exit 1
}

# The value lines of a key in user.reg (its "[...]" and "#" lines left out).
lignes_cle() {
  CLE="$1" awk 'index($0, ENVIRON["CLE"] "]") == 1 { dans = 1; next }
                dans && /^$/ { exit }
                dans && !/^#/ { print }' "$P/user.reg"
}
# A key as Wine exports it, in UTF-8 (the prefix has no drive for host paths: the file goes to
# drive C, and away at once).
exporter() {
  wine reg export "$1" 'C:\tidora-export.reg' /y >/dev/null 2>&1 || return 1
  iconv -f UTF-16 -t UTF-8 "$P/drive_c/tidora-export.reg" | tr -d '\r' | sed 1d
  rm -f "$P/drive_c/tidora-export.reg"
}
dossier_serveur() {
  local nom=".wine-$(id -u)"
  [ -f "$P/wineserver" ] && nom=$(cat "$P/wineserver")
  printf '/tmp/%s/server-%x-%x' "$nom" $(stat -L -c '%d %i' "$P")
}
# user.reg without the typed-address key.
sans_adresses() {
  awk 'index($0, "[Software\\\\Microsoft\\\\Internet Explorer\\\\TypedURLs]") == 1 { dans = 1; next }
       dans && /^$/ { dans = 0 }
       !dans { print }' "$1"
}
etat_fichiers() { (cd "$P/drive_c" && find . \( -type f -o -type l \) | LC_ALL=C sort); }

etape="valeurs mises par Wine"
adresses='HKCU\Software\Microsoft\Internet Explorer\TypedURLs'
essai='HKCU\Software\Tidora Essai\Clé é'
octets=$(printf '%02x' $(seq 0 99) | tr -d '\n')
wineserver -p || echec "wineserver -p"
{
  wine reg add "$adresses" /v url1 /d 'http://www.exemple.fr/' /f &&
    wine reg add "$adresses" /v url2 /d 'http://journal.example/café' /f &&
    wine reg add "$adresses" /v url4 /d 'http://garde.example/' /f &&
    wine reg add "$essai" /ve /d 'défaut' /f &&
    wine reg add "$essai" /v 'prénom' /d 'Hélène € 😀 \ fin' /f &&
    wine reg add "$essai" /v 'tab' /d "a	b" /f &&
    wine reg add "$essai" /v chemin /t REG_EXPAND_SZ /d '%USERPROFILE%\Temp' /f &&
    wine reg add "$essai" /v multi /t REG_MULTI_SZ /d 'un\0deux' /f &&
    wine reg add "$essai" /v nombre /t REG_DWORD /d 305419896 /f &&
    wine reg add "$essai" /v octets /t REG_BINARY /d "$octets" /f
} >/dev/null 2>&1 || echec "une commande de Wine a échoué"
wineserver -k
wineserver -w
lignes_cle '[Software\\Tidora Essai\\Cl\xe9 \xe9' >"$travail/wine.txt"
[ "$(wc -l <"$travail/wine.txt")" -ge 7 ] || echec "les valeurs de l'essai manquent dans user.reg"

etape="réécriture des valeurs de Wine"
"$driver" reecrire '\Software\Tidora Essai\Clé é' || echec "réécriture refusée"
lignes_cle '[Software\\Tidora Essai\\Cl\xe9 \xe9' >"$travail/nous.txt"
diff "$travail/wine.txt" "$travail/nous.txt" >&2 ||
  echec "les valeurs réécrites n'ont pas le texte que Wine leur donne"

etape="serveur en marche"
exporter "$essai" >"$travail/essai-avant.txt" || echec "wine reg export"
wineserver -k
wineserver -w
"$driver" valider >/dev/null || echec "validation refusée sans serveur"
ini="$P/drive_c/Program Files/Tidora 2000/options.ini"
# The save's lock is its folder's own: the file is alone there.
[ "$(ls -A "${ini%/*}")" = options.ini ] || echec "autre chose que options.ini dans ${ini%/*}"
wineserver -p || echec "wineserver -p"
for _ in $(seq 100); do [ -S "$(dossier_serveur)/socket" ] && break; sleep 0.1; done
[ -S "$(dossier_serveur)/socket" ] || echec "pas de socket dans $(dossier_serveur)"
sha1sum "$P/user.reg" >"$travail/ruche.sha1"
# A validation writes nothing to user.reg (its keys are there): a running server does not stop it.
sortie=$("$driver" valider 2>&1) || echec "validation refusée avec un serveur en marche : $sortie"
sha1sum -c --quiet "$travail/ruche.sha1" || echec "la validation a changé user.reg sous un serveur en marche"
sha1sum "$P/user.reg" "$ini" >"$travail/ruche.sha1"
# A run in a prefix whose server runs is refused whole, before it changes anything: no file
# deleted, the server and its process named.
echo x >"$P/drive_c/windows/temp/pendant.tmp"
sortie=$("$driver" menage 2>&1)
echo "$sortie"
[ -e "$P/drive_c/windows/temp/pendant.tmp" ] || echec "le run a effacé un fichier d'un préfixe occupé"
printf '%s\n' "$sortie" | grep -q '^en cours' && echec "le run refusé a commencé"
printf '%s\n' "$sortie" | tail -1 | grep -q '^erreur : .* utilisé par wineserver[0-9]* (processus [0-9]*)' ||
  echec "le run n'a pas été refusé en nommant le serveur"
sha1sum -c --quiet "$travail/ruche.sha1" || echec "user.reg ou options.ini a changé sous un serveur en marche"

etape="fichiers mis par Wine"
wine cmd /c 'echo x> C:\windows\temp\trace.tmp & mkdir C:\windows\temp\sous & echo x> C:\windows\temp\sous\journal.txt & echo x> %LOCALAPPDATA%\Microsoft\Windows\INetCache\page.htm & mkdir C:\ProgramData\Essai & echo x> C:\ProgramData\Essai\vieux.tmp & echo x> C:\ProgramData\Essai\garde.txt' >/dev/null 2>&1 ||
  echec "wine cmd"
wineserver -k
wineserver -w
cache=$(find "$P/drive_c/users" -path '*/AppData/Local/Microsoft/Windows/INetCache' -type d | head -1)
[ -f "$cache/page.htm" ] || echec "page.htm n'est pas dans le cache de Wine"

etape="liens vers des canaris"
canaris="$HOME/canaris"
mkdir -p "$canaris"
for m in tmp bak gid chk log old --- '~1' '$1' htm txt; do
  echo canari >"$canaris/canari.$m"
  echo canari >"$HOME/canari.$m"  # where Wine's own links (Documents, Desktop...) lead
done
ln -s "$canaris" "$cache/dossier-lien"
ln -s "$canaris/canari.htm" "$cache/fichier-lien.htm"
ln -s "$canaris" "$P/drive_c/windows/temp/lien"
ln -s "$canaris/canari.tmp" "$P/drive_c/ProgramData/Essai/lien.tmp"
ln -s "$canaris" "$P/drive_c/ProgramData/Essai/dossier.tmp"
(cd "$HOME" && find . -type f -name 'canari.*' -exec sha1sum {} +) >"$travail/canaris.sha1"


etape="nettoyage"
etat_fichiers >"$travail/avant.txt"
cp "$P/user.reg" "$travail/user-avant.reg"
sortie=$("$driver" menage 2>&1) || echec "run en échec : $sortie"
echo "$sortie"
etat_fichiers >"$travail/apres.txt"
echo "wine: supprimés par le run :"
comm -23 "$travail/avant.txt" "$travail/apres.txt" | sed 's/^/wine:   /'

etape="vérifications"
cmp -s <(sans_adresses "$travail/user-avant.reg") <(sans_adresses "$P/user.reg") ||
  echec "le run a changé user.reg hors de la clé TypedURLs"
cmp -s "$travail/user-avant.reg" "$P/user.reg" && echec "le run n'a pas changé TypedURLs"
for f in windows/temp/trace.tmp windows/temp/sous/journal.txt ProgramData/Essai/vieux.tmp; do
  [ -e "$P/drive_c/$f" ] && echec "$f est resté"
done
[ -e "$cache/page.htm" ] && echec "page.htm est resté"
[ -f "$P/drive_c/ProgramData/Essai/garde.txt" ] || echec "garde.txt a disparu"
(cd "$HOME" && sha1sum -c --quiet "$travail/canaris.sha1") || echec "un canari a changé"
exporter "$adresses" >"$travail/adresses.txt" || echec "wine reg export"
grep -q '^"url4"="http://garde.example/"$' "$travail/adresses.txt" || echec "url4 a disparu"
grep -q '^"url[12]"=' "$travail/adresses.txt" && echec "url1 ou url2 est resté"
exporter "$essai" >"$travail/essai-apres.txt" || echec "wine reg export"
diff "$travail/essai-avant.txt" "$travail/essai-apres.txt" >&2 || echec "les valeurs accentuées ont changé"
wine cmd /c exit >/dev/null 2>&1 || echec "Wine ne démarre plus"
echo "wine: préfixe réel nettoyé, valeurs et canaris intacts, Wine démarre"
