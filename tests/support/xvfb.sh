# Sourced by the test scripts that need an X server of their own.
# xvfb_demarrer WxH: starts Xvfb with a screen of that size on a display it picks itself, writing
# its number to "$travail/ecran" ($travail: the caller's folder), and sets xvfb_pid (the caller
# kills it). Exits 1 when the server has not started within 10 s.
xvfb_demarrer() { # WxH
  exec 3>"$travail/ecran"
  Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  exec 3>&-
  for _ in $(seq 100); do
    [ -s "$travail/ecran" ] && return 0
    sleep 0.1
  done
  echo "Xvfb n'a pas démarré"
  exit 1
}
