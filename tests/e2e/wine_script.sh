# shellcheck shell=bash
# The start of every end-to-end script under Wine, sourced with the names of the script's
# arguments, `--` and the arguments themselves:
#   source "$(dirname "$0")/wine_script.sh" exe repo build -- "$@"
# Each argument, made absolute, goes into the variable of its name (a wrong count prints the
# usage and ends the script with 2); then come the Wine harness, whose clean-up runs however
# the script ends, and the PASS/FAIL bookkeeping.
e2e_names=()
while [[ $1 != -- ]]; do e2e_names+=("$1"); shift; done
shift
if (( $# != ${#e2e_names[@]} )); then
  echo "usage: $0$(printf ' <%s>' "${e2e_names[@]}")" >&2
  exit 2
fi
for e2e_name in "${e2e_names[@]}"; do printf -v "$e2e_name" '%s' "$(realpath "$1")"; shift; done

# shellcheck source=../wine/harness.sh
source "$(dirname "${BASH_SOURCE[0]}")/../wine/harness.sh"
trap kh_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
# shellcheck source=checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

# A fresh copy of the build's test prefix in <work>/prefix, made ready for kh_wine, in `prefix`;
# without one the script ends.
e2e_fresh_prefix() {  # <work>
  prefix="$1/prefix"
  kh_fresh_prefix "$(kh_template_for "$build/wineprefix")" "$prefix" || { echo "FAIL: no Wine prefix"; exit 1; }
  kh_prefix_ready "$prefix" || { echo "FAIL: prefix not ready"; exit 1; }
}
