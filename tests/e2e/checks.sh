# PASS/FAIL bookkeeping shared by the end-to-end scripts (sourced).
failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# check <description> <command...>
check() {
  local what=$1; shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
