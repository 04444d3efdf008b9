# Debian packages the builds, the tests and the Linux run command need, and an installer for
# the missing ones (sourced by tests/run_all.sh and run.sh).

# The run command alone: the cross compiler, Wine with the fonts it draws with, and what looks
# at a window on a virtual screen. Nothing the tests need, so a first run installs little.
kestro_run_packages=(
  cmake ninja-build nlohmann-json3-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64
  xvfb xauth xdotool xclip imagemagick
  fonts-noto-cjk fonts-dejavu-core fonts-wine
)
kestro_packages=(
  "${kestro_run_packages[@]}"
  g++ clang locales libclang-rt-14-dev googletest libbenchmark-dev libssl-dev
  python3-jsonschema
  openssl osslsigncode librsvg2-bin
)
# Kestro's installer: Inno Setup's compiler and every installer it makes are 32-bit programs,
# which need Wine's 32-bit side; the compiler comes from the npm registry.
kestro_installer_packages=(wine32:i386 nodejs npm)

kestro__installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

# kestro_install_missing_packages [--run | --installer]: only what the run command needs, or
# also what building the installer needs.
kestro_install_missing_packages() {
  local wanted=("${kestro_packages[@]}") missing=() p
  [[ ${1:-} == --run ]] && wanted=("${kestro_run_packages[@]}")
  [[ ${1:-} == --installer ]] && wanted+=("${kestro_installer_packages[@]}")
  for p in "${wanted[@]}"; do
    # A Node.js from elsewhere (not Debian's) serves as well.
    [[ ($p == nodejs || $p == npm) ]] && command -v "${p/nodejs/node}" >/dev/null && continue
    kestro__installed "$p" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo[@]}" dpkg --add-architecture i386
  fi
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
