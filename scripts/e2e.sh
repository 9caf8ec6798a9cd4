#!/usr/bin/env bash
# Runs the end-to-end tests under Wine, on an Xvfb and in a fresh Wine prefix
# of their own, with velmora_e2e.exe driving:
# 1. the release as users get it: scripts/package.sh makes the zip and the
#    installer, the zip is unpacked into a folder whose path has a space, and
#    every test runs its 32-bit velmora.exe and velmoractl.exe; the release
#    tests start it there, and install, run and uninstall the installer;
# 2. the 64-bit test build (win64 preset), whose velmora.exe logs every tray
#    record it sends: the tests the release skipped because they read it;
# 3. the test build on a Windows 2000 setting, where balloons are the
#    script's own business (its altShowBalloon handler). Only for a full run.
# A loopback https server (tests/e2e/https_server.py) serves the https tests.
# The soak drops 200 scripts; for the full thousand:
#   VELMORA_SOAK_DROPS=1000 bash scripts/e2e.sh
# Arguments go to the test program, e.g. --gtest_filter='CommandDrop.*'.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

cmake --preset win64 >/dev/null
cmake --build build/win64 --target velmora_e2e -j"$(nproc)" >/dev/null
bash scripts/package.sh

windows_path() { printf 'Z:%s' "${1//\//\\}"; }

release_parent="$root/build/e2e release"
rm -rf "$release_parent"
mkdir -p "$release_parent"
zip=$(ls dist/velmora-*-win32.zip)
setup=$(ls dist/velmora-*-setup.exe)
unzip -q "$zip" -d "$release_parent"
release=$(ls -d "$release_parent"/velmora-*)

WINE_SESSION_PREFIX="$root/build/wine-e2e"
rm -rf "$WINE_SESSION_PREFIX"
source scripts/wine-session.sh
trap wine_session_cleanup EXIT
trap 'exit 130' INT TERM
wine_session_display
wine_session_prefix

# An https server on the loopback address, with a certificate of its own
# that Windows does not trust until a test tells it to.
https_root="$root/build/e2e-https"
rm -rf "$https_root"
mkdir -p "$https_root/www"
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 \
  -subj /CN=127.0.0.1 -addext 'subjectAltName=IP:127.0.0.1,DNS:127.0.0.1' \
  -keyout "$https_root/key.pem" -out "$https_root/cert.pem" 2>/dev/null
python3 tests/e2e/https_server.py "$https_root/cert.pem" "$https_root/key.pem" \
  "$https_root/www" "$https_root/port" &
https_pid=$!
trap 'kill "$https_pid" 2>/dev/null || true; wine_session_cleanup' EXIT
deadline=$((SECONDS + 20))
until [ -s "$https_root/port" ]; do
  kill -0 "$https_pid" 2>/dev/null && [ $SECONDS -lt $deadline ] ||
    { echo "the https server did not start" >&2; exit 1; }
  sleep 0.1
done
export VELMORA_E2E_HTTPS VELMORA_E2E_HTTPS_FOLDER VELMORA_E2E_HTTPS_CA
VELMORA_E2E_HTTPS="https://127.0.0.1:$(cat "$https_root/port")"
VELMORA_E2E_HTTPS_FOLDER=$(windows_path "$https_root/www")
VELMORA_E2E_HTTPS_CA=$(windows_path "$https_root/cert.pem")

export VELMORA_SOAK_DROPS="${VELMORA_SOAK_DROPS:-200}"
# The examples tests read the scripts from the repository, seen through Z:.
export VELMORA_E2E_EXAMPLES
VELMORA_E2E_EXAMPLES=$(windows_path "$root/examples")
# Wine ends console lines with CR LF.
run_suite() { wine build/win64/velmora_e2e.exe "$@" 2>&1 | tr -d '\r'; }

status=0
printf '\n-- the release: %s (32-bit) --\n' "${zip#dist/}"
shipped_log="$root/build/e2e-release.log"
VELMORA_E2E_RELEASE=$(windows_path "$release") VELMORA_E2E_SETUP=$(windows_path "$root/$setup") \
  run_suite "$@" | tee "$shipped_log" || status=$?

# The tests the release could not run, because they read the tray record,
# run again on the test build.
skipped=$(sed -n 's/^\[  SKIPPED \] \([^ ]*\)$/\1/p' "$shipped_log" | grep -v '^Release\.' |
  sort -u | paste -sd: || true)
if [ -n "$skipped" ]; then
  printf '\n-- the 64-bit test build, for the tests that read its tray record --\n'
  run_suite --gtest_filter="$skipped" || status=$?
fi

if [ "$#" -eq 0 ]; then
  printf '\n-- the test build on a Windows 2000 setting --\n'
  /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  export WINEPREFIX="$root/build/wine-e2e-win2000"
  rm -rf "$WINEPREFIX"
  wine_session_prefix
  key='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
  # Both registry views, so that 32-bit and 64-bit programs see the version.
  for view in /reg:32 /reg:64; do
    wine reg add "$key" /v CurrentVersion /d 5.0 /f $view >/dev/null 2>&1
    wine reg add "$key" /v CurrentBuildNumber /d 2195 /f $view >/dev/null 2>&1
    wine reg add "$key" /v CurrentBuild /d 2195 /f $view >/dev/null 2>&1
    wine reg add "$key" /v CSDVersion /d 'Service Pack 4' /f $view >/dev/null 2>&1
    wine reg delete "$key" /v CurrentMajorVersionNumber /f $view >/dev/null 2>&1 || true
    wine reg delete "$key" /v CurrentMinorVersionNumber /f $view >/dev/null 2>&1 || true
  done
  /usr/lib/wine/wineserver -w
  VELMORA_E2E_WINDOWS=2000 run_suite --gtest_filter='Balloons.*' || status=$?
fi
exit "$status"
