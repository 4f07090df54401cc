#!/usr/bin/env bash
# End-to-end check of the window that chooses a prefix: starts `tidora2000 --choisir` on a fake
# home of its own (a Wine prefix with validated options and a Steam game's prefix) on its own
# virtual X display, the user's choices set first from the command line (saves included), takes
# a picture of the window, asks for the preview of the Wine prefix and reads its list through the
# clipboard, then opens the prefix: the skinned main window comes on it, and the chooser comes
# back when it closes. Nothing outside the script's temporary folder is looked at.
# Usage: choisir.sh path/to/tidora2000 [folder for the pictures, by default the current one]
set -uo pipefail

exe="${1:?usage: choisir.sh path/to/tidora2000 [dossier des captures]}"
captures="${2:-$PWD}"
delai="${TIDORA_E2E_DELAI:-30}"
etape="préparation"
travail=""
xvfb_pid=""
app_pid=""

journal="e2e choisir"
source "$(dirname "$0")/ecran.sh"
source "$(dirname "$0")/programme.sh"
command -v xclip >/dev/null || echec "xclip est introuvable (paquet xclip, voir scripts/setup.sh)"
command -v import >/dev/null || echec "import est introuvable (paquet imagemagick)"

# The fake home: ~/.wine with its options and traces, and a Steam game's prefix.
maison="$travail/maison"
wine="$maison/.wine"
mkdir -p "$wine/drive_c/windows/temp" "$wine/drive_c/users/moi/AppData/Roaming/Jeu" \
  "$wine/drive_c/Program Files/Tidora 2000"
echo 'WINE REGISTRY Version 2' >"$wine/system.reg"
echo 'WINE REGISTRY Version 2' >"$wine/user.reg"
printf '[Dossiers]\r\nTemp=C:\\windows\\temp\r\n[Fichiers]\r\nxt1=*.tmp\r\n' \
  >"$wine/drive_c/Program Files/Tidora 2000/options.ini"
echo trace >"$wine/drive_c/windows/temp/trace-choisie.txt"
echo partie >"$wine/drive_c/users/moi/AppData/Roaming/Jeu/sauvegarde.tmp"
apps="$maison/.local/share/Steam/steamapps"
mkdir -p "$apps/compatdata/1001/pfx/drive_c/windows"
echo 'WINE REGISTRY Version 2' >"$apps/compatdata/1001/pfx/system.reg"
printf '"AppState"\n{\n\t"appid"\t\t"1001"\n\t"name"\t\t"Zèbre"\n\t"installdir"\t\t"zebre"\n}\n' \
  >"$apps/appmanifest_1001.acf"

est_choix='$3 == "900x480"'

# Holds until the window's picture shows more than a blank area.
capturer() { # file
  import -window root "$1" 2>>"$travail/import.log" || echec "capture impossible : $(cat "$travail/import.log")"
  [ "$(convert "$1" -format '%k' info:)" -gt 8 ] || echec "la capture $1 est vide"
  echo "$journal: capture $1"
}
# The clipboard holds the text matching an extended regular expression.
presse_papiers() { timeout 5 xclip -o -selection clipboard 2>/dev/null | grep -qE -- "$1"; }

# The choices the command line saves are those the window's preview takes: saves included.
etape="choix communs"
env -u XDG_CONFIG_HOME HOME="$maison" "$exe" --choix --sauvegardes=oui >"$travail/choix.log" 2>&1 ||
  echec "--choix refusé : $(cat "$travail/choix.log")"
grep -q "Sauvegardes et dossiers de jeux : nettoyés par les masques" "$travail/choix.log" ||
  echec "--choix n'a pas pris les sauvegardes : $(cat "$travail/choix.log")"

etape="démarrage de Xvfb"
demarrer_ecran

etape="fenêtre de choix"
env -u TIDORA_PREFIX -u WINEPREFIX -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$maison" \
  "$exe" --choisir >"$travail/app.log" 2>&1 &
app_pid=$!
attendre "fenêtre de choix à l'écran" visible "$est_choix"
id_choix=$(fenetre "$est_choix")
# Its title, the program's name first.
[[ "$(xdo getwindowname "$id_choix")" == "Tidora 2000 — Préfixes Wine et Proton" ]] ||
  echec "titre inattendu : $(xdo getwindowname "$id_choix")"
# The sizes come from a thread: the Steam prefix's is measured once it shows in the picture;
# here the window only has to be drawn.
mkdir -p "$captures"
capturer "$captures/choisir.png"

# Aperçu (Alt+A) on the first row, ~/.wine: its list, read through the clipboard (Copier la liste,
# Alt+C), names the prefix's files, save locations first (the choices include them), every path
# spelt "C:"; nothing is deleted.
etape="aperçu"
xdo windowfocus --sync "$id_choix" || echec "xdotool ne peut donner le focus"
attendre "focus sur la fenêtre de choix" a_le_focus "$id_choix"
xdo key alt+a || echec "xdotool ne peut taper Alt+A"
est_apercu='$3 == "760x520"'
attendre "fenêtre d'aperçu à l'écran" visible "$est_apercu"
id_apercu=$(fenetre "$est_apercu")
[[ "$(xdo getwindowname "$id_apercu")" == "Tidora 2000 — .wine" ]] ||
  echec "titre de l'aperçu inattendu : $(xdo getwindowname "$id_apercu")"
capturer "$captures/choisir-apercu.png"
xdo windowfocus --sync "$id_apercu" || echec "xdotool ne peut donner le focus à l'aperçu"
attendre "focus sur l'aperçu" a_le_focus "$id_apercu"
xdo key alt+c || echec "xdotool ne peut taper Alt+C"
attendre "liste de l'aperçu dans le presse-papiers" presse_papiers 'trace-choisie\.txt'
liste=$(timeout 5 xclip -o -selection clipboard)
# The whole list, line by line: its headings, each file with its size and what takes it, the total.
attendu=$'Fichiers dans des dossiers de sauvegardes ou de jeux (1)
C:\\users\\moi\\AppData\\Roaming\\Jeu\\sauvegarde.tmp\t7 o\tMasque *.tmp
Autres fichiers (1)
C:\\windows\\temp\\trace-choisie.txt\t6 o\tLe contenu du répertoire TEMP
Total : 2 fichiers, 13 o'
[ "$liste" = "$attendu" ] || echec "liste de l'aperçu inattendue :
$liste"
[ -f "$wine/drive_c/windows/temp/trace-choisie.txt" ] || echec "l'aperçu a effacé un fichier"
[ -f "$wine/drive_c/users/moi/AppData/Roaming/Jeu/sauvegarde.tmp" ] || echec "l'aperçu a effacé une sauvegarde"
xdo key Escape || echec "xdotool ne peut taper Échap"
attendre "fermeture de l'aperçu par Échap" cachee "$est_apercu"

# Ouvrir (Alt+O): the chooser goes, the skinned main window comes, on ~/.wine.
etape="ouverture du préfixe"
xdo windowfocus --sync "$id_choix" || echec "xdotool ne peut donner le focus"
attendre "focus sur la fenêtre de choix" a_le_focus "$id_choix"
xdo key alt+o || echec "xdotool ne peut taper Alt+O"
attendre "fenêtre principale à l'écran" visible "$est_principale"
attendre "fermeture de la fenêtre de choix" cachee "$est_choix"
capturer "$captures/choisir-ouvert.png"
[ -s "$wine/drive_c/Program Files/Tidora 2000/Tidora2000.hlp" ] ||
  echec "la fenêtre principale ne travaille pas dans ~/.wine (pas de fichier d'aide)"
[ -e "$maison/.local/share/tidora" ] && echec "le propre préfixe du programme a été créé"

# Closing the main window brings the chooser back; its Fermer (Alt+F) ends the program.
etape="retour au choix"
principale 314 55
attendre "fenêtre principale fermée" cachee "$est_principale"
attendre "fenêtre de choix de retour" visible "$est_choix"
id_choix=$(fenetre "$est_choix")
etape="fermeture"
xdo windowfocus --sync "$id_choix" || echec "xdotool ne peut donner le focus"
attendre "focus sur la fenêtre de choix" a_le_focus "$id_choix"
xdo key alt+f || echec "xdotool ne peut taper Alt+F"
attendre_fin

# Started with no terminal (from a menu) on a folder that is no prefix (the home): the refusal
# shows in an error box, not only on stderr; Enter closes it and the program ends with code 2
# (refused), having made neither that prefix nor its own.
etape="refus d'un dossier sans terminal"
env -u TIDORA_PREFIX -u WINEPREFIX -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$maison" "$exe" --prefixe "$maison" \
  </dev/null >"$travail/refus.log" 2>&1 &
app_pid=$!
est_boite='$3 != "395x392" && $3 != "485x349"'
attendre "boîte d'erreur à l'écran" visible "$est_boite"
id_boite=$(fenetre "$est_boite")
capturer "$captures/choisir-refus.png"
grep -q "n'est pas un préfixe Wine (il lui faut un vrai dossier drive_c et un registre" "$travail/refus.log" || echec "refus non écrit : $(cat "$travail/refus.log")"
xdo windowfocus --sync "$id_boite" || echec "xdotool ne peut donner le focus à la boîte"
xdo key Return || echec "xdotool ne peut taper Entrée"
attendre_fin 2
[ -e "$maison/drive_c" ] && echec "un profil a été créé dans le dossier refusé"
[ -e "$maison/.local/share/tidora" ] && echec "le propre préfixe du programme a été créé au refus"
echo "$journal: choix, aperçu, ouverture et refus sans terminal réussis"
