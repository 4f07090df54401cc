# Shared by the scripts that drive the real program on a virtual X display: starting Xvfb on a
# display of our own, finding the program's windows, waiting for an effect. Sourced, not run.
# The script that sources it sets delai (seconds), travail (its temporary folder), xvfb_pid and
# app_pid (empty until started), etape (the step under way) and journal (the word that heads
# every line it reports).

# Fails the current step, with what is on the screen and what the program wrote on stderr.
echec() {
  {
    echo "$journal: ÉCHEC à l'étape « $etape » : $*"
    if [ -n "${xvfb_pid:-}" ] && [ -n "${DISPLAY:-}" ]; then
      echo "$journal: fenêtres visibles (id x,y lxh) : $(fenetres | tr '\n' ';')"
    fi
    if [ -n "${travail:-}" ] && [ -s "$travail/app.log" ]; then
      echo "$journal: sortie d'erreur du programme :"
      sed "s/^/$journal:   | /" "$travail/app.log"
    fi
  } >&2
  exit 1
}

# xdotool never blocks the script for long, even against a stuck server.
xdo() { timeout 20 xdotool "$@"; }

# Visible windows of the program, one line each: "id x,y wxh" (screen position and size).
fenetres() {
  local w
  for w in $(xdo search --onlyvisible --class tidora2000 2>/dev/null); do
    xdo getwindowgeometry "$w" 2>/dev/null |
      awk -v id="$w" '/Position/ {split($2, p, ",")} /Geometry/ {print id, p[1] "," p[2], $2}'
  done
}
# The first visible window matching an awk condition on "id x,y wxh", or nothing.
fenetre() { fenetres | awk "$1 {print \$1; exit}"; }
visible() { [ -n "$(fenetre "$1")" ]; }
cachee() { [ -z "$(fenetre "$1")" ]; }
a_le_focus() { [ "$(xdo getwindowfocus -f 2>/dev/null)" = "$1" ]; }
# Whether the first window is a transient window of the second (ICCCM's WM_TRANSIENT_FOR): the
# window manager keeps it above its owner and gives it no taskbar entry of its own.
transitoire_de() { # window owner (decimal ids, as xdotool gives them)
  timeout 20 xprop -id "$1" WM_TRANSIENT_FOR 2>/dev/null | grep -qx "WM_TRANSIENT_FOR(WINDOW): window id # $(printf '0x%x' "$2")"
}

app_vivant() { [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; }
# Repeats a check until it holds; fails once the delay is over or as soon as the program is gone.
attendre() { # what is awaited, check command...
  local attendu=$1 fin=$((SECONDS + delai))
  shift
  until "$@"; do
    if ! app_vivant; then
      wait "$app_pid" 2>/dev/null
      local code=$?
      app_pid=""
      echec "le programme s'est arrêté (code $code) au lieu de : $attendu"
    fi
    [ "$SECONDS" -lt "$fin" ] || echec "pas de $attendu après $delai s"
    sleep 0.1
  done
}

# A display of our own, from :137 up. Xvfb writes its pid in the number's lock file, and a server
# that loses the race for a number to another one exits: the number is ours once its lock holds
# our server's pid and the server answers. That answer is a client leaving: -noreset keeps the
# server from resetting then, a reset that would drop the program connecting at that moment.
serveur_pret() { # display number
  local proprietaire
  read -r proprietaire 2>/dev/null <"/tmp/.X$1-lock" || return 1
  [ "$proprietaire" = "$xvfb_pid" ] &&
    DISPLAY=":$1" timeout 20 xdotool getdisplaygeometry >/dev/null 2>&1
}
# Starts Xvfb (a screen of 1024x768 unless told) and exports DISPLAY; its log is
# $travail/xvfb.log.
demarrer_ecran() { # [WxH]
  local n fin outil taille="${1:-1024x768}"
  for outil in Xvfb xdotool xprop timeout; do
    command -v "$outil" >/dev/null ||
      echec "$outil est introuvable (paquets xvfb, xdotool, x11-utils et coreutils, voir scripts/setup.sh)"
  done
  for n in $(seq 137 199); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 "${taille}x24" -nolisten tcp -noreset >"$travail/xvfb.log" 2>&1 &
    xvfb_pid=$!
    fin=$((SECONDS + delai))
    until serveur_pret "$n"; do
      kill -0 "$xvfb_pid" 2>/dev/null || break
      if [ "$SECONDS" -ge "$fin" ]; then
        kill "$xvfb_pid" 2>/dev/null
        xvfb_pid=""
        echec "Xvfb :$n ne répond pas après $delai s : $(cat "$travail/xvfb.log")"
      fi
      sleep 0.1
    done
    if serveur_pret "$n"; then
      export DISPLAY=":$n"
      return
    fi
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
  done
  echec "Xvfb ne démarre pas : $(cat "$travail/xvfb.log")"
}
