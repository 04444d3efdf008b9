#!/usr/bin/env bash
# End-to-end checks of `Kestro.exe --report`, `Kestro.exe --json` and `Kestro.exe --unregister`
# under Wine, in a fresh copy of the test prefix. Every check prints PASS or FAIL; the script
# exits non-zero when any check failed.
#
# usage: report_e2e.sh <Kestro.exe> <source-dir> <build-dir>
set -uo pipefail

# shellcheck source=wine_script.sh
source "$(dirname "$0")/wine_script.sh" exe repo build -- "$@"

work="$build/tests/e2e/report_e2e"
mkdir -p "$work"

e2e_fresh_prefix "$work"

version=$(built_version "$build") || { echo "FAIL: no version header in $build"; exit 1; }
version_key='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
settings_key='HKCU\Software\Kestro'

# One property of the first object of a WMI class, as Wine's wmic prints it (UTF-16 table:
# a header line, then the value padded with spaces).
wmic_value() {
  kh_wine 60 wmic "$1" get "$2" </dev/null 2>/dev/null | iconv -f UTF-16 -t UTF-8 | tr -d '\r' |
    sed -n 2p | sed -E 's/[[:space:]]+$//; s/^[[:space:]]+//'
}

# Lines of one section of a report file: from "[heading]" up to the next empty line.
section_lines() {  # <file> <heading>
  awk -v h="[$2]" '$0 == h {on = 1; next} on && $0 == "" {exit} on {print}' "$1"
}

headings() { grep -E '^\[.*\]$' "$1" | paste -sd' '; }

# run_report <output-file> [environment assignments...]
run_report() {
  local out=$1; shift
  ( for assignment in "$@"; do export "${assignment?}" 2>/dev/null; done
    kh_wine 180 "$exe" --report </dev/null >"$out" 2>/dev/null )
}

lower() { tr '[:upper:]' '[:lower:]'; }

# python_checks <script> <arguments...>: a Python check script prints its own PASS and FAIL
# lines; its failures count here, and a script that printed neither (it could not run) fails.
python_checks() {
  local out
  out=$(python3 "$@" 2>&1)
  echo "$out"
  failures=$((failures + $(grep -c '^FAIL: ' <<<"$out")))
  grep -qE '^(PASS|FAIL): ' <<<"$out" || fail "python3 $1 printed no result"
}

# --- Values the report must show, taken from other sources than Kestro ---------------------
maker=$(wmic_value computersystem manufacturer)
model=$(wmic_value computersystem model)
if [[ -n $maker && -n $model ]]; then
  if [[ $(lower <<<"$model") == *"$(lower <<<"$maker")"* ]]; then
    expected_title=$model
  else
    expected_title="$maker $model"
  fi
else
  expected_title=""
fi
cpu_name=$(grep -m1 '^model name' /proc/cpuinfo | sed -E 's/^[^:]*:[[:space:]]*//; s/[[:space:]]+/ /g; s/ $//')
screen=$(xdotool getdisplaygeometry 2>/dev/null | sed 's/ / × /')
build_number=$(kh_wine 60 reg query "$version_key" /v CurrentBuildNumber /reg:64 </dev/null 2>/dev/null |
  tr -d '\r' | awk '/CurrentBuildNumber/ {print $3}')

kh_reg_add "$version_key" DisplayVersion REG_SZ 24H2
kh_reg_add "$version_key" UBR REG_DWORD 1234
# A new prefix says neither; with them the Windows card says whether updates still come.
kh_reg_add "$version_key" EditionID REG_SZ Professional
kh_reg_add "$version_key" InstallationType REG_SZ Client

# --- English report -------------------------------------------------------------------------
en="$work/report-en.txt"
rc=0
run_report "$en" LC_ALL=en_US.UTF-8 || rc=$?
check "--report exits with 0 (got $rc)" test "$rc" -eq 0
check "--report wrote a report" test -s "$en"

expected_headings='[Summary] [Processor] [Memory] [Graphics] [Storage] [Displays] [Windows] [Security] [System]'
got=$(headings "$en")
check "sections in order: $got" test "$got" == "$expected_headings"

title=$(head -n1 "$en")
if [[ -n $expected_title ]]; then
  check "title '$title' is '$expected_title'" test "$title" == "$expected_title"
else
  fail "no computer maker and model from wmic to compare the title '$title' with"
fi

check "Summary CPU row is '$cpu_name'" grep -qxF "CPU: $cpu_name" <(section_lines "$en" Summary)
check "Memory card has rows" test -n "$(section_lines "$en" Memory)"
check "Graphics row names the DXGI adapter" \
  grep -qE '^Graphics: [^ ].* · [0-9.]+ (B|KB|MB|GB|TB)$' <(section_lines "$en" Graphics)
if [[ -n $screen ]]; then
  check "Displays row shows the screen size $screen" \
    grep -qE "^[^:]+: ${screen}( · [0-9]+ Hz)?\$" <(section_lines "$en" Displays)
else
  fail "screen size unknown (xdotool getdisplaygeometry)"
fi
check "Storage lists Drive C:" grep -qE '^Drive C: [0-9.]+ (GB|TB) used of [0-9.]+ (GB|TB)$' \
  <(section_lines "$en" Storage)
check "Storage lists Drive Z:" grep -qE '^Drive Z: [0-9.]+ (GB|TB) used of [0-9.]+ (GB|TB)$' \
  <(section_lines "$en" Storage)
check "Windows version reads 24H2 (build $build_number.1234)" \
  grep -qxF "Version: 24H2 (build $build_number.1234)" <(section_lines "$en" Windows)
# This Wine has no firmware type, no Secure Boot values and no TPM: the card says only what it
# knows, and Windows 11 is not ready for want of a TPM 2.0, whatever else could not be told.
security=$(section_lines "$en" Security)
check "Security: the TPM is not found, nothing said of firmware or Secure Boot" \
  test "$(head -n1 <<<"$security")" == "TPM: Not found"
check "Security: Windows 10 is not ready for Windows 11 for want of TPM 2.0" \
  grep -qE '^Windows 11: Not ready \(([A-Za-z ]+, )?TPM 2\.0(, [A-Za-z ]+)?\)$' <<<"$security"
# The prefix's Windows 10 (build 18362, version 1903) is long out of service.
check "Windows: security updates for build $build_number have ended" \
  grep -qxF "Security updates: Ended" <(section_lines "$en" Windows)
check "System card has the uptime row" \
  grep -qE '^Up for: [0-9]+ d [0-9]+ h [0-9]+ min$' <(section_lines "$en" System)
check "footer line" test "$(tail -n1 "$en")" == "— Kestro $version · https://lumwerk.example/Kestro/"
check "empty line before the footer" test "$(tail -n2 "$en" | head -n1)" == ""
check "output ends with a line feed" test "$(tail -c1 "$en" | od -An -c | tr -d ' ')" == '\n'
check "output has no carriage return" test "$(tr -cd '\r' <"$en" | wc -c)" -eq 0
check "--report wrote no setting" \
  test "$(kh_wine 60 reg query "$settings_key" </dev/null >/dev/null 2>&1; echo $?)" -ne 0

# --- JSON document of the same machine, under another interface language --------------------
doc="$work/report.json"
rc=0
( export LC_ALL=ko_KR.UTF-8; kh_wine 180 "$exe" --json </dev/null >"$doc" 2>/dev/null ) || rc=$?
check "--json exits with 0 (got $rc)" test "$rc" -eq 0
check "--json output ends with a line feed and has no carriage return" \
  bash -c '[[ $(tail -c1 "$1" | od -An -c | tr -d " ") == "\n" && $(tr -cd "\r" <"$1" | wc -c) -eq 0 ]]' _ "$doc"
check "--json wrote no setting" \
  test "$(kh_wine 60 reg query "$settings_key" </dev/null >/dev/null 2>&1; echo $?)" -ne 0
python_checks "$repo/tests/check_report_schema.py" "$repo/docs/report.schema.json" "$doc"
# Its numbers are those of the English report above (the title in English too).
python_checks "$repo/tests/e2e/json_matches_report.py" "$en" "$doc"
check "--json: the security object says there is no TPM, the Windows object that updates have ended" \
  python3 -c 'import json, sys; d = json.load(open(sys.argv[1]))
sys.exit(d["security"]["tpm"] != "none" or d["windows"]["security_updates"] != {"state": "ended"})' "$doc"

# --- Secure Boot and the certificates of 2023, once Windows has written them ------------------
kh_reg_add 'HKLM\SYSTEM\CurrentControlSet\Control\SecureBoot\State' UEFISecureBootEnabled REG_DWORD 1
kh_reg_add 'HKLM\SYSTEM\CurrentControlSet\Control\SecureBoot\Servicing' UEFICA2023Status REG_SZ Updated
secure="$work/report-secure-boot.txt"
run_report "$secure" LC_ALL=en_US.UTF-8
check "with the Secure Boot values the card shows Secure Boot and its certificates" \
  test "$(section_lines "$secure" Security | grep -E '^Secure Boot' | paste -sd'|')" == \
  "Secure Boot: On|Secure Boot certificates: Up to date"

# --- Language from the user interface language, then from the Language setting ---------------
ko="$work/report-ko.txt"
rc=0
run_report "$ko" LC_ALL=ko_KR.UTF-8 || rc=$?
check "Korean run exits with 0 (got $rc)" test "$rc" -eq 0
check "Korean UI language gives Korean headings: $(headings "$ko" | cut -d" " -f1-3)" \
  grep -qxF '[요약]' "$ko"

# The catalog keeps one member per line (' "key": "value",'), so sed finds it without a JSON tool.
german_summary=$(sed -nE 's/^ "Summary": "([^"]*)",?$/\1/p' "$repo/src/i18n/catalogs/de.json")
kh_reg_add "$settings_key" Language REG_SZ de
de="$work/report-de.txt"
rc=0
run_report "$de" LC_ALL=ko_KR.UTF-8 || rc=$?
check "German run exits with 0 (got $rc)" test "$rc" -eq 0
if [[ -n $german_summary ]]; then
  check "Language=de gives the German heading [$german_summary]" \
    grep -qxF "[$german_summary]" "$de"
else
  fail "de catalog has no entry for Summary"
fi

# --- --unregister ---------------------------------------------------------------------------
kh_reg_add "$settings_key" AutoUpdate REG_DWORD 1
check "settings key present before --unregister" \
  test "$(kh_wine 60 reg query "$settings_key" </dev/null >/dev/null 2>&1; echo $?)" -eq 0
rc=0
# A window would keep the process in its message loop until the time limit (rc 124).
kh_wine 30 "$exe" --unregister </dev/null >/dev/null 2>&1 || rc=$?
check "--unregister ends by itself with 0, no window (got $rc)" test "$rc" -eq 0
check "--unregister removed HKCU\\Software\\Kestro" \
  test "$(kh_wine 60 reg query "$settings_key" </dev/null >/dev/null 2>&1; echo $?)" -ne 0

echo "report_e2e: $failures failed"
(( failures == 0 ))
