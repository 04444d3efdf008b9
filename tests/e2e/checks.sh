# PASS/FAIL bookkeeping shared by the end-to-end scripts (sourced).
failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# check <description> <command...>
check() {
  local what=$1; shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
# guard <description> <command...>: what later checks rely on (a wait, mostly). Silent when it
# holds; otherwise a FAIL, and a non-zero status so that the caller skips those checks.
guard() {
  local what=$1; shift
  "$@" && return 0
  fail "$what"
  return 1
}
# The version the build at <build-dir> was made with, from its generated version header.
built_version() {  # <build-dir>
  local v
  v=$(sed -nE 's/^#define KESTRO_VERSION_TEXT "(.*)"$/\1/p' "$1/generated/base/version.h" 2>/dev/null) &&
    [[ -n $v ]] && echo "$v"
}
