# The Windows lane of ./test: the program, its windows included, cross-compiled with MinGW-w64,
# and its tests run by CTest under Wine in the shared headless prefix of scripts/wine.sh (the
# windows' own checks draw on a Wine desktop of their own). Sourced, not run.
#
# tidora_windows_build: configures and builds into $TIDORA_WINDOWS_BUILD_DIR (build-windows).
# tidora_windows_test: starts the prefix's server for good and warms it with one wineboot (each
#   test then starts in ~0.1 s instead of ~3 s), then runs ctest there. tidora_wine_stop ends
#   that server.

tidora_windows_build() {
  local dir="${TIDORA_WINDOWS_BUILD_DIR:-build-windows}"
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIDORA_GUI=ON "${launcher[@]}" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}

tidora_windows_test() {
  local dir="${TIDORA_WINDOWS_BUILD_DIR:-build-windows}"
  [ -n "${TIDORA_WINE_PREFIX:-}" ] || { echo "pas de préfixe Wine (tidora_wine_prefix)" >&2; return 1; }
  rm -f "$TIDORA_WINE_PREFIX/dosdevices/z:"  # the host's root: never reachable from the tests
  HOME="$TIDORA_WINE_HOME" WINEPREFIX="$TIDORA_WINE_PREFIX" wineserver -p
  HOME="$TIDORA_WINE_HOME" WINEPREFIX="$TIDORA_WINE_PREFIX" wine wineboot >/dev/null 2>&1 || true
  echo "Tests Windows (MinGW-w64, sous Wine)"
  (cd "$dir" && HOME="$TIDORA_WINE_HOME" WINEPREFIX="$TIDORA_WINE_PREFIX" \
    ctest --output-on-failure -j "$(nproc)")
}
