# The headless Wine prefix that the Wine checks of one ./test run share. Sourced, not run.
#
# tidora_wine_prefix DIR: makes DIR/pfx afresh (HOME is DIR/home, so that the links Wine puts
# in the profile point into DIR/home, never into the real home), waits for its server to end,
# removes the z: drive (it maps the host's root), then exports for the tests:
#   TIDORA_WINE_HOME, TIDORA_WINE_PREFIX  the scratch HOME and the prefix
# and the variables every Wine call of the checks uses (WINEDEBUG, WINEDLLOVERRIDES).
# Wine programs of the checks must run with HOME="$TIDORA_WINE_HOME" WINEPREFIX="$TIDORA_WINE_PREFIX".

tidora_wine_env() {
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
}

tidora_wine_prefix() {
  local dir="$1"
  tidora_wine_env
  command -v wine >/dev/null || { echo "wine est introuvable (paquets wine, wine64)" >&2; return 1; }
  if [ -d "$dir/pfx" ]; then
    tidora_wine_end "$dir/home" "$dir/pfx"
    rm -rf "$dir"
  fi
  mkdir -p "$dir/home"
  echo "Préparation d'un préfixe Wine de test dans $dir/pfx"
  HOME="$dir/home" WINEPREFIX="$dir/pfx" wineboot -i >/dev/null 2>&1 || true
  HOME="$dir/home" WINEPREFIX="$dir/pfx" wineserver -w
  [ -f "$dir/pfx/user.reg" ] || { echo "wineboot n'a pas créé $dir/pfx" >&2; return 1; }
  rm -f "$dir/pfx/dosdevices/z:"
  export TIDORA_WINE_HOME="$dir/home"
  export TIDORA_WINE_PREFIX="$dir/pfx"
}

# tidora_wine_end HOME PREFIX: ends every Wine program of the prefix, its server included, and
# removes the server's folder that Debian's Wine names in PREFIX/wineserver (/tmp/wine-XXXXXX),
# which Wine itself leaves behind.
tidora_wine_end() {
  local home="$1" pfx="$2" name=""
  HOME="$home" WINEPREFIX="$pfx" wineserver -k 2>/dev/null || true
  [ -r "$pfx/wineserver" ] && name=$(head -c 64 "$pfx/wineserver" 2>/dev/null | tr -d '\n')
  if [[ "$name" =~ ^wine-[A-Za-z0-9]+$ ]] && [ -d "/tmp/$name" ] && [ ! -L "/tmp/$name" ]; then
    rm -rf -- "/tmp/$name"
  fi
}

# Ends every Wine program of the shared prefix (its server included).
tidora_wine_stop() {
  [ -n "${TIDORA_WINE_PREFIX:-}" ] || return 0
  tidora_wine_end "$TIDORA_WINE_HOME" "$TIDORA_WINE_PREFIX"
}
