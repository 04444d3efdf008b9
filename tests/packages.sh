# Debian packages the builds, the tests and the Linux run command need, and an installer for
# the missing ones (sourced by tests/run_all.sh and run.sh).

kestro_packages=(
  cmake ninja-build g++ clang locales libclang-rt-14-dev googletest libbenchmark-dev nlohmann-json3-dev libssl-dev
  openssl osslsigncode
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64
  xvfb xauth xdotool xclip imagemagick librsvg2-bin
  fonts-noto-cjk fonts-dejavu-core fonts-wine
)

kestro_install_missing_packages() {
  local missing=() p
  for p in "${kestro_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
