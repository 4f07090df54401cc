# Shared set-up for ./test and ./run: installs the Debian packages the build needs
# (only those missing), then configures and builds into build/.
# Sourced, not run.

TIDORA_PACKAGES=(
  cmake g++ make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libjpeg62-turbo-dev
  qt6-base-dev libgl-dev
  fonts-urw-base35
  xvfb xauth xdotool x11-utils xclip imagemagick librsvg2-bin
  findutils attr
  ccache
  libyaml-cpp-dev nlohmann-json3-dev appstream
  wine wine64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  lintian desktop-file-utils dpkg-dev fakeroot file
)

tidora_install_packages() {
  local missing=()
  local p
  for p in "${TIDORA_PACKAGES[@]}"; do
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

tidora_build() {
  local dir="${TIDORA_BUILD_DIR:-build}"
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}
