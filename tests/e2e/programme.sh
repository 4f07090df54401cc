# Shared by the scripts that drive the Linux program on a virtual X display (sourced after
# ecran.sh, by a script that set exe): its temporary folder and prefix, removed on exit with
# whatever is still running, clicks on its two windows at their places, its start and its end.
# Steps wait up to $delai seconds for what they expect.

[ -x "$exe" ] || echec "programme introuvable : $exe"

travail=$(mktemp -d "${TMPDIR:-/tmp}/tidora-e2e.XXXXXX")
prefixe="$travail/prefixe"
c="$prefixe/drive_c"
nettoyer() {
  # A program a step froze (SIGSTOP) is thawed so that it can end.
  [ -n "$app_pid" ] && kill -CONT "$app_pid" 2>/dev/null && kill "$app_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$travail"
}
trap nettoyer EXIT
trap 'exit 1' HUP INT TERM

# A click at client coordinates: with no window manager, a window's screen position plus these.
# The pointer is seen at its place before the button goes down.
cliquer() { # x y [button]
  xdo mousemove --sync "$1" "$2" click "${3:-1}" || echec "xdotool ne peut cliquer en $1,$2"
}
principale() { cliquer $((325 + $1)) $((171 + $2)) "${3:-}"; }
options() { cliquer $((371 + $1)) $((326 + $2)); }
est_principale='$2 == "325,171" && $3 == "395x392"'
est_options='$2 == "371,326" && $3 == "485x349"'

# Starts the program on the prefix; its main window comes.
demarrer_programme() {
  TIDORA_PREFIX="$prefixe" "$exe" >"$travail/app.log" 2>&1 &
  app_pid=$!
  attendre "fenêtre principale à l'écran" visible "$est_principale"
}
# The program ends by itself with the code given (0 unless told), and reports no error from the
# X server.
attendre_fin() { # [expected code]
  local attendu=${1:-0} fin=$((SECONDS + delai)) code
  while kill -0 "$app_pid" 2>/dev/null; do
    [ "$SECONDS" -lt "$fin" ] || echec "le programme ne se ferme pas après $delai s"
    sleep 0.1
  done
  wait "$app_pid"
  code=$?
  app_pid=""
  [ "$code" -eq "$attendu" ] || echec "code de sortie $code au lieu de $attendu"
  if grep -q 'XCB error' "$travail/app.log"; then
    echec "erreurs X : $(grep 'XCB error' "$travail/app.log")"
  fi
}
