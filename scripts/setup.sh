# Shared set-up for ./test and ./run: installs the Debian packages a build needs (only those
# missing), then configures and builds. Sourced, not run.
#
# tidora_install_packages, tidora_build: everything ./test needs, built into build/
#   ($TIDORA_BUILD_DIR), tests and benchmarks included.
# tidora_install_run_packages, tidora_build_program: only what building and running the program
#   needs, and only the program, built into build-run/ ($TIDORA_RUN_BUILD_DIR).

# Building and running the program: the compiler, Qt 6 Widgets, libjpeg, yaml-cpp,
# nlohmann-json and the labels' typeface.
TIDORA_RUN_PACKAGES=(
  cmake g++ make pkg-config
  qt6-base-dev libgl-dev
  libjpeg62-turbo-dev
  libyaml-cpp-dev nlohmann-json3-dev
  fonts-urw-base35
)

# The tests, the benchmarks, the Windows lane and the package check, on top of those.
TIDORA_TEST_PACKAGES=(
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils xclip imagemagick librsvg2-bin
  findutils attr
  ccache
  appstream
  wine wine64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  lintian desktop-file-utils dpkg-dev fakeroot file binutils
)

# Installs those of the packages given that are missing.
tidora_install() { # package...
  local missing=()
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installation des paquets manquants : ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

tidora_install_packages() { tidora_install "${TIDORA_RUN_PACKAGES[@]}" "${TIDORA_TEST_PACKAGES[@]}"; }
tidora_install_run_packages() { tidora_install "${TIDORA_RUN_PACKAGES[@]}"; }

# ccache when installed (./run does not install it).
tidora_launcher() {
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  return 0
}

tidora_build() {
  local dir="${TIDORA_BUILD_DIR:-build}"
  local launcher
  tidora_launcher
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}

# The program alone, built as the package is (Release). Paths under the checkout are given to
# ccache relative to it, so that another clone's build finds this one's objects.
tidora_build_program() {
  local dir="${TIDORA_RUN_BUILD_DIR:-build-run}"
  local launcher
  tidora_launcher
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DTIDORA_TESTS=OFF -DTIDORA_BENCH=OFF \
    "${launcher[@]}" >/dev/null
  CCACHE_BASEDIR="$PWD" cmake --build "$dir" -j "$(nproc)" -t tidora2000
}
