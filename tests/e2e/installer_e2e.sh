#!/usr/bin/env bash
# Kestro's own installer end to end under Wine, in a fresh copy of the test prefix: the
# release command makes the signed installers (around a signed Kestro.exe) of this build's
# version and of the next one (the same sources built again with a higher version) and writes
# their manifests; the first is installed silently, the installed Kestro, started with the
# user's own rights (limited_launcher.exe), updates itself to the second through its own updater
# (the curl stand-in in system32 serves the second release) and removes the installer the
# update left, and the second is uninstalled. On the way: the release's build never sees the
# signing secrets, the release's check of signed files refuses what the updater would, an
# update that gives up on a Kestro that does not close, starting Kestro again and changing
# nothing, a cancelled install, leaving the installed program as it was, and an update that
# waits for a Kestro whose mutex it may not open. Every check prints PASS or FAIL; the script
# exits non-zero when any failed.
#
# usage: installer_e2e.sh <window_poke.exe> <curl.exe> <make_update_manifest.exe> <limited_launcher.exe>
#                         <guarded_mutex.exe> <source-dir> <build-dir>
set -uo pipefail

# shellcheck source=wine_script.sh
source "$(dirname "$0")/wine_script.sh" poke_exe curl_exe tool_exe launcher_exe guarded_exe repo build -- "$@"

work="$build/tests/e2e/installer_e2e"
rm -rf "$work/prefix" "$work/release-"* "$work/certificate"
mkdir -p "$work"
started=$SECONDS
template=$(kh_template_for "$build/wineprefix")
export KESTRO_WINE_TEMPLATE=$template  # the next version's build compiles in a copy of it too

version=$(built_version "$build") || { echo "FAIL: no version header in $build"; exit 1; }
IFS=. read -r major minor patch <<<"$version"
next="$major.$minor.$(( patch + 1 ))"

# --- The two releases, with a throwaway certificate ----------------------------------------------
e2e_fresh_prefix "$work"
drive_c="$prefix/drive_c"
certificate="$work/certificate"
mkdir -p "$certificate"
(
  cd "$certificate" &&
    openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.crt -days 2 -subj "/CN=Kestro Test Root" \
      -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign" &&
    openssl req -newkey rsa:2048 -nodes -keyout leaf.key -out leaf.csr -subj "/CN=Norvale Tech Co., Ltd." &&
    printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >leaf.ext &&
    openssl x509 -req -in leaf.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 -extfile leaf.ext -out leaf.crt &&
    KESTRO_SIGNING_PASSWORD=test-password openssl pkcs12 -export -inkey leaf.key -in leaf.crt -certfile ca.crt \
      -passout env:KESTRO_SIGNING_PASSWORD -out signing.p12 &&
    cat leaf.crt ca.crt >chain.pem &&
    for other in "tsa:Kestro Test Timestamps:timeStamping" "other:Other Company Ltd.:codeSigning"; do
      IFS=: read -r file cn usage <<<"$other"
      openssl req -newkey rsa:2048 -nodes -keyout "$file.key" -out "$file.csr" -subj "/CN=$cn" &&
        printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=critical,%s\n' \
          "$usage" >"$file.ext" &&
        openssl x509 -req -in "$file.csr" -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 -extfile "$file.ext" \
          -out "$file.crt" && cat "$file.crt" ca.crt >"$file.chain.pem" || exit 1
    done
) >/dev/null 2>&1
check "throwaway code-signing certificate made" test -s "$certificate/signing.p12"
# The release command's manifest tool: the Windows build's, under Wine.
cat >"$work/manifest-tool" <<EOF
#!/usr/bin/env bash
source "$repo/tests/wine/harness.sh"
export WINEPREFIX="$prefix"
kh_wine 60 "$tool_exe" "Z:\$1" "\$2" "\$3" "Z:\$4" </dev/null; rc=\$?
kh_cleanup
exit \$rc
EOF
chmod +x "$work/manifest-tool"
release() {  # <build-dir> <version> <output> [release.sh options...]: a test release
  local dir=$1 v=$2 out=$3; shift 3
  KESTRO_SIGNING_PASSWORD=test-password KESTRO_MANIFEST_TOOL="$work/manifest-tool" \
    CMAKE_BUILD_PARALLEL_LEVEL="${KESTRO_JOBS:-2}" bash "$repo/tools/release.sh" "$@" "$dir" \
    "$certificate/signing.p12" "https://lumwerk.example/dl/Kestro-Setup-$v.exe" "$out" >/dev/null 2>"$work/release.err"
}
# The build's programs as the next release runs them: cmake, npm, wine (the installer's compiler)
# and, through the build's compiler launcher, the compiler, each recording its environment.
spy="$work/spy"
rm -rf "$spy"
mkdir -p "$spy/seen"
for program in cmake npm wine; do
  printf '#!/bin/sh\nenv >"%s/%s.$$"\nexec %q "$@"\n' "$spy/seen" "$program" "$(command -v "$program")" >"$spy/$program"
done
printf '#!/bin/sh\nenv >"%s/compiler.$$"\nexec "$@"\n' "$spy/seen" >"$spy/compiler"
chmod +x "$spy"/*
signed_by_maker() {  # <file>
  osslsigncode verify -in "$1" -CAfile "$certificate/ca.crt" 2>/dev/null | grep -q 'CN=Norvale Tech Co., Ltd.'
}

step_started=$SECONDS
rc=0; release "$build" "$version" "$work/release-current" --no-timestamp || rc=$?
check "release $version: signed installer, update.json and SHA256SUMS (exit $rc)" \
  test -s "$work/release-current/Kestro-Setup-$version.exe" -a -s "$work/release-current/update.json"
(( rc == 0 )) || sed 's/^/INFO: /' "$work/release.err"
next_build="$work/next-build"
rm -rf "$next_build"
cmake -G Ninja -S "$repo" -B "$next_build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-mingw64.cmake" -DKESTRO_VERSION="$next" \
  -DKESTRO_BUILD_TESTS=OFF -DKESTRO_BUILD_BENCH=OFF -DCMAKE_CXX_COMPILER_LAUNCHER="$spy/compiler" \
  >"$work/build-next.log" 2>&1
rc=0; PATH="$spy:$PATH" release "$next_build" "$next" "$work/release-next" --no-timestamp || rc=$?
released="$work/release-next/Kestro-Setup-$next.exe"
check "release $next from the same sources (exit $rc)" test -s "$released"
(( rc == 0 )) || sed 's/^/INFO: /' "$work/release.err"
echo "INFO: both releases took $(( SECONDS - step_started )) s; installer size $(stat -c %s "$released" 2>/dev/null) bytes"
check "release $next: SHA256SUMS matches the files" bash -c "cd '$work/release-next' && sha256sum --quiet -c SHA256SUMS"
check "release $next: the installer is signed by Norvale Tech Co., Ltd." signed_by_maker "$released"
check "release $next: the manifest names the signed file's digest and size" \
  grep -q "\"sha256\": \"$(sha256sum "$released" | cut -c1-64)\".*\"size\": $(stat -c %s "$released")" \
  <(tr -d '\n' <"$work/release-next/update.json")
no_password_written() { ! grep -rqF test-password "$work/release-next" "$next_build/installer" 2>/dev/null; }
check "the signing password went to no file" no_password_written
spied() { for program in cmake npm wine compiler; do compgen -G "$spy/seen/$program.*" >/dev/null || return 1; done; }
secrets_seen() { grep -lE "test-password|signing\.p12|^KESTRO_SIGNING_" "$spy"/seen/* 2>/dev/null; }
if guard "the next release ran cmake, npm, wine and the compiler" spied; then
  check "no program of the release's build had the signing password or the certificate in its environment" \
    test -z "$(secrets_seen)"
fi
check "release $next: the installer's version resource says ProductName Kestro" \
  grep -qE '^ProductName: Kestro *$' <(python3 "$repo/tools/check_signed.py" --show "$released")

# What the release's check of a signed file refuses: each signed (or checked) otherwise than the
# release signs, from the same unsigned installer of this build.
unsigned="$build/installer/Kestro-Setup-$version.exe"
variant() {  # <name> <leaf|other> <program name> [timestamp [<unsigned file>]]
  local chain=$certificate/chain.pem key=$certificate/leaf.key stamp=()
  [[ $2 == other ]] && chain=$certificate/other.chain.pem key=$certificate/other.key
  [[ ${4:-} == timestamp ]] && stamp=(-TSA-certs "$certificate/tsa.chain.pem" -TSA-key "$certificate/tsa.key")
  osslsigncode sign -certs "$chain" -key "$key" -h sha256 -n "$3" "${stamp[@]}" -in "${5:-$unsigned}" \
    -out "$work/variants/$1.exe" >/dev/null 2>&1
}
rm -rf "$work/variants"
mkdir -p "$work/variants"
perl -0777 -pe 's/(P\0r\0o\0d\0u\0c\0t\0N\0a\0m\0e\0\0\0(?:\0\0)?)K\0e\0s\0t\0r\0o\0/$1O\0t\0h\0e\0r\0!\0/' \
  "$unsigned" >"$work/variants/other-product.unsigned.exe"
variant good leaf "Kestro Setup" timestamp
variant untimestamped leaf "Kestro Setup"
variant other-maker other "Kestro Setup" timestamp
variant other-name leaf "Kestro test installer" timestamp
variant program-name leaf Kestro timestamp
variant other-product leaf "Kestro Setup" timestamp "$work/variants/other-product.unsigned.exe"
cp "$unsigned" "$work/variants/unsigned.exe"
signed_check() {  # <variant> <version> <expected problem, or ok> [options...]
  local name=$1 v=$2 expected=$3; shift 3
  python3 "$repo/tools/check_signed.py" --cafile "$certificate/ca.crt" --publisher "Norvale Tech Co., Ltd." \
    --program "Kestro Setup" --version "$v" "$@" "$work/variants/$name.exe" >"$work/variants/$name.log" 2>&1
  local rc=$?
  if [[ $expected == ok ]]; then (( rc == 0 )); else (( rc == 1 )) && grep -q -- "$expected" "$work/variants/$name.log"; fi
}
while IFS='|' read -r name v expected options; do
  # shellcheck disable=SC2086  # the options are words
  check "signed-file check: $name, version $v: ${expected}" signed_check "$name" "$v" "$expected" $options
done <<ROWS
good|$version|ok|--tsa-cafile $certificate/ca.crt
good|$version|countersignature does not verify|
untimestamped|$version|carries no timestamp|--tsa-cafile $certificate/ca.crt
untimestamped|$version|ok|--no-timestamp
other-maker|$version|not CN=Norvale Tech Co., Ltd.|--tsa-cafile $certificate/ca.crt
other-name|$version|program name is 'Kestro test installer'|--tsa-cafile $certificate/ca.crt
program-name|$version|program name is 'Kestro', not Kestro Setup|--tsa-cafile $certificate/ca.crt
other-product|$version|ProductName is 'Other!|--tsa-cafile $certificate/ca.crt
good|$next|fixed file version is $version.0|--tsa-cafile $certificate/ca.crt
unsigned|$version|does not verify|--no-timestamp
ROWS
rc=0
( unset KESTRO_SIGNING_PASSWORD; bash "$repo/tools/release.sh" --no-timestamp "$next_build" \
    "$certificate/signing.p12" https://lumwerk.example/dl/x.exe "$work/release-refused" ) >/dev/null 2>&1 || rc=$?
check "release refused without KESTRO_SIGNING_PASSWORD (exit $rc)" test "$rc" -eq 1 -a ! -e "$work/release-refused/update.json"
rc=0
( unset KESTRO_TIMESTAMP_URL; release "$next_build" "$next" "$work/release-refused" ) || rc=$?
check "release refused without a timestamp server (exit $rc)" test "$rc" -eq 1 -a ! -e "$work/release-refused/update.json"

# --- Helpers ----------------------------------------------------------------------------------
user=$(basename "$(dirname "$(find "$drive_c/users" -mindepth 2 -maxdepth 2 -name Temp ! -path '*/Public/*' | head -n1)")")
program_dir="$drive_c/users/$user/AppData/Local/Programs/Kestro"
shortcut="$drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Kestro.lnk"
temp_kestro="$drive_c/users/$user/Temp/Kestro"
exe="C:\\users\\$user\\AppData\\Local\\Programs\\Kestro\\Kestro.exe"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\{C6B4F1B2-8E3D-4B7A-9F21-3D5A0E7C4B19}_is1'
# shellcheck source=kestro_window.sh
source "$repo/tests/e2e/kestro_window.sh"
launch=("$launcher_exe")

setup() {  # <installer> <arguments...>: runs it to its end; its exit code
  local installer=$1; shift
  kh_wine 120 "Z:$installer" "$@" </dev/null >/dev/null 2>&1
}
uninstall_value() {  # <name>
  kh_wine 60 reg query "$uninstall_key" /v "$1" </dev/null 2>/dev/null | tr -d '\r' |
    awk -v name="$1" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}
installed_report_ends_with() {  # <version>
  kh_wine 120 "$exe" --report </dev/null >"$work/report.txt" 2>/dev/null
  [[ $(tail -n1 "$work/report.txt") == "— Kestro $1 · https://lumwerk.example/Kestro/" ]]
}
program_digest() { sha256sum "$program_dir/Kestro.exe" 2>/dev/null | cut -c1-64; }
any_kestro_window() { xdotool search --onlyvisible --name '^Kestro$' >/dev/null 2>&1; }

# --- Install the first version silently --------------------------------------------------------
step_started=$EPOCHREALTIME
rc=0; setup "$work/release-current/Kestro-Setup-$version.exe" /VERYSILENT /SUPPRESSMSGBOXES /NORESTART || rc=$?
install_seconds=$(awk -v a="$step_started" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }')
check "silent install of $version exits with 0 (got $rc, ${install_seconds} s)" test "$rc" -eq 0
check "installed into {localappdata}\\Programs\\Kestro" test -f "$program_dir/Kestro.exe"
check "Start-menu shortcut" test -f "$shortcut"
check "uninstall entry: DisplayName Kestro" test "$(uninstall_value DisplayName)" == Kestro
check "uninstall entry: Publisher Lumwerk" test "$(uninstall_value Publisher)" == Lumwerk
check "uninstall entry: DisplayVersion $version" test "$(uninstall_value DisplayVersion)" == "$version"
check "installed Kestro.exe --report ends with $version" installed_report_ends_with "$version"
check "the installed Kestro.exe is signed by Norvale Tech Co., Ltd." signed_by_maker "$program_dir/Kestro.exe"

# --- A language and a window placement of the user's own ---------------------------------------
kh_reg_add "$settings_key" Language REG_SZ de
kh_reg_add "$settings_key" LastUpdateCheck REG_SZ "$(date +%s)"  # no check on this start
start_app || fail "installed Kestro: no window"
poke move 240 130 820 640 >/dev/null
check "window moved" kh_wait_for 10 geometry_is "240 130 820 640"
poke close >/dev/null
expect_exit "first start"
placement=$(reg_value Placement)
check "the placement was stored on closing" test -n "$placement"

# --- The update, through the installed Kestro's own updater ------------------------------------
cp --remove-destination "$curl_exe" "$drive_c/windows/system32/curl.exe"
www="$drive_c/kestro-test/www/lumwerk.example"
mkdir -p "$www/Kestro" "$www/dl"
cp "$work/release-next/update.json" "$www/Kestro/update.json"
cp "$released" "$www/dl/"
reg_delete LastUpdateCheck
loop_started=$EPOCHREALTIME
start_app || fail "update: no window"
if kh_wait_for 30 dialog_open; then
  question=$(dialog_text)
  check "the update question offers $next" grep -q "$next" <<<"$question"
  answer_dialog yes
  expect_exit "update: the old Kestro"
  check "update: the new Kestro starts by itself" kh_wait_for 60 any_kestro_window
  loop_seconds=$(awk -v a="$loop_started" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }')
  find_window  # the updated Kestro's, which the installer started
  check "update: installed Kestro.exe --report ends with $next" installed_report_ends_with "$next"
  check "update: uninstall entry says $next" test "$(uninstall_value DisplayVersion)" == "$next"
  check "update: the language is kept (German report)" grep -qx '\[Übersicht\]' "$work/report.txt"
  check "update: Language is still de" test "$(reg_value Language)" == de
  check "update: the placement is kept" test "$(reg_value Placement)" == "$placement"
  check "update: the new window opens where the old one was" kh_wait_for 10 geometry_is "240 130 820 640"
  no_installer_left() { [[ -z $(find "$temp_kestro" -name 'Kestro-Setup-*.exe' 2>/dev/null) ]]; }
  check "update: the new Kestro removes the installer the update left" kh_wait_for 60 no_installer_left
  echo "INFO: from start to the updated window: ${loop_seconds} s"
else
  fail "update: no question"
fi

# --- An update that finds Kestro open and not closing gives up, changes nothing and starts -------
# --- Kestro again: a user whose Kestro closed for the update is never left without one ----------
kestro_windows() { xdotool search --onlyvisible --name '^Kestro$' 2>/dev/null | wc -l; }
two_kestro_windows() { (( $(kestro_windows) == 2 )); }
before=$(program_digest)
step_started=$SECONDS
rc=0; setup "$released" /SILENT /SUPPRESSMSGBOXES /NORESTART /UPDATE=1 || rc=$?
check "update with Kestro open: exit code 7 after waiting (got $rc, $(( SECONDS - step_started )) s)" \
  test "$rc" -eq 7 -a $(( SECONDS - step_started )) -ge 29
check "update with Kestro open: the program is untouched" test "$(program_digest)" == "$before"
check "update with Kestro open: Kestro is started again beside the one still open" kh_wait_for 30 two_kestro_windows
app_kill
check "both Kestro windows close" kh_wait_for 20 no_window
app_pid=""

# --- A cancelled install leaves the installed version working ----------------------------------
wizard_open() { xdotool search --onlyvisible --name '^Setup - Kestro' >/dev/null 2>&1; }
exit_question_open() { xdotool search --onlyvisible --name '^Exit Setup$' >/dev/null 2>&1; }
kh_wine 120 "Z:$work/release-current/Kestro-Setup-$version.exe" </dev/null >/dev/null 2>&1 &
wizard_pid=$!
if kh_wait_for 30 wizard_open; then
  xdotool key --window "$(xdotool search --onlyvisible --name '^Setup - Kestro' | head -n1)" Escape
  kh_wait_for 10 exit_question_open && xdotool key --window "$(xdotool search --onlyvisible --name '^Exit Setup$' | head -n1)" y
  rc=0; wait "$wizard_pid" || rc=$?
  check "cancelled install: exit code 2 (got $rc)" test "$rc" -eq 2
else
  fail "cancelled install: no wizard"
  kill "$wizard_pid" 2>/dev/null
fi
check "cancelled install: $next still installed and working" installed_report_ends_with "$next"
check "cancelled install: the program is untouched" test "$(program_digest)" == "$before"

# --- Uninstall: nothing is left -----------------------------------------------------------------
kh_wine 120 "C:\\users\\$user\\AppData\\Local\\Programs\\Kestro\\unins000.exe" /VERYSILENT /SUPPRESSMSGBOXES /NORESTART \
  </dev/null >/dev/null 2>&1
gone() { [[ ! -e $program_dir ]]; }
check "uninstall: the program folder is gone" kh_wait_for 60 gone
check "uninstall: the shortcut is gone" test ! -e "$shortcut"
check "uninstall: the uninstall entry is gone" test -z "$(uninstall_value DisplayName)"
no_settings() { ! kh_wine 60 reg query "$settings_key" </dev/null >/dev/null 2>&1; }
check "uninstall: the settings key is gone" no_settings
temp_gone() { [[ ! -e $temp_kestro ]]; }
check "uninstall: %TEMP%\\Kestro is gone" kh_wait_for 30 temp_gone

# --- An update waits for a Kestro whose mutex this user may not open (an elevated one) ----------
# Wine grants SYNCHRONIZE whatever the mutex's DACL says, so the installer here is compiled
# from the same script asking for all access instead (RunningMutexAccess), which Wine refuses.
guarded="$work/guarded"
rm -rf "$guarded"
bash "$repo/installer/compile_under_wine.sh" "$build" "$repo/installer/kestro.iss" "AppVersion=$version" \
  "SourceExe=$build/Kestro.exe" "IconFile=$repo/res/kestro.ico" "OutputDir=$guarded" \
  RunningMutex=Lumwerk.Kestro.Running RunningMutexAccess=2031617 >"$work/guarded.log" 2>&1
kh_wine 120 "$guarded_exe" Lumwerk.Kestro.Running 2031617 90 </dev/null >"$work/guarded-mutex.txt" 2>&1 &
holder=$!
holding() { [[ -s $work/guarded-mutex.txt ]]; }
if guard "a mutex whose DACL refuses this user is held" kh_wait_for 30 holding; then
  check "the guarded mutex: opening it fails with access denied" grep -qx denied <(tr -d '\r' <"$work/guarded-mutex.txt")
  step_started=$SECONDS
  rc=0; setup "$guarded/Kestro-Setup-$version.exe" /SILENT /SUPPRESSMSGBOXES /NORESTART /UPDATE=1 || rc=$?
  waited=$(( SECONDS - step_started ))
  check "update while a Kestro holds a mutex this user may not open: exit code 7 after waiting (got $rc, $waited s)" \
    test "$rc" -eq 7 -a "$waited" -ge 29
  check "update while a Kestro holds a mutex this user may not open: nothing is installed" gone
fi
kh_taskkill guarded_mutex.exe
wait "$holder"

echo "INFO: installer_e2e took $(( SECONDS - started )) s"
echo "installer_e2e: $failures failed"
(( failures == 0 ))
