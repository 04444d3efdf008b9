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

# Set by kestro_install_missing_packages to the 32-bit packages that could not be installed
# (the 64-bit ones installed all the same): what needs them must be left out, by name.
kestro_packages_unavailable=()

# KESTRO_PACKAGES_AS_MISSING (words) lists packages to take as missing although installed, only
# to try the install step on a machine that has them (an apt pin then makes one fail for real).
kestro__installed() {
  [[ " ${KESTRO_PACKAGES_AS_MISSING:-} " == *" $1 "* ]] && return 1
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# apt-get update, once more when an index failed to come (a mirror in the middle of a sync
# answers "File has unexpected size", "Failed to fetch"): apt then keeps the old index, or
# none, and exits 0 all the same.
kestro__apt_update() {  # <sudo...>
  local attempt output status
  for attempt in 1 2; do
    output=$("$@" apt-get update -qq 2>&1)
    status=$?
    [[ -n $output ]] && printf '%s\n' "$output"
    if (( status == 0 )) && ! grep -qE '^(W|E): .*(Failed to fetch|unexpected size|Some index files failed)' <<<"$output"; then
      return 0
    fi
    (( attempt == 1 )) && echo "== apt-get update reported a failed index (exit $status); trying once more"
  done
  return 1
}

# kestro_install_missing_packages [--run | --installer]: only what the run command needs, or
# also what building the installer needs. The 64-bit packages are installed in an apt-get of
# their own, so that the builds and every test without 32-bit Wine run even when the i386 side
# of the mirror is broken; a 32-bit package that still cannot be installed is named and left
# in kestro_packages_unavailable (not a failure of this step).
kestro_install_missing_packages() {
  local wanted=("${kestro_packages[@]}") missing=() missing_i386=() p
  [[ ${1:-} == --run ]] && wanted=("${kestro_run_packages[@]}")
  [[ ${1:-} == --installer ]] && wanted+=("${kestro_installer_packages[@]}")
  kestro_packages_unavailable=()
  for p in "${wanted[@]}"; do
    # A Node.js from elsewhere (not Debian's) serves as well.
    [[ ($p == nodejs || $p == npm) ]] && command -v "${p/nodejs/node}" >/dev/null && continue
    kestro__installed "$p" && continue
    if [[ $p == *:i386 ]]; then missing_i386+=("$p"); else missing+=("$p"); fi
  done
  (( ${#missing[@]} + ${#missing_i386[@]} == 0 )) && return 0
  echo "== Installing: ${missing[*]} ${missing_i386[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  if (( ${#missing_i386[@]} > 0 )) && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo[@]}" dpkg --add-architecture i386
  fi
  # A failed index may still leave what is needed installable: the installs below tell.
  kestro__apt_update "${sudo[@]}" || echo "== apt-get update failed twice; installing from the indexes there are"
  if (( ${#missing[@]} > 0 )); then
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" ||
      return 1
  fi
  if (( ${#missing_i386[@]} > 0 )) &&
     ! DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing_i386[@]}"; then
    kestro_packages_unavailable=("${missing_i386[@]}")
    echo "== ${missing_i386[*]} could not be installed: the tests that need it are skipped"
  fi
  return 0
}
