#!/usr/bin/env bash
# Runs the end-to-end tests: the test build of velmora.exe (win64 preset)
# driven by velmora_e2e.exe under Wine, on an Xvfb and in a fresh Wine prefix
# of their own. The soak drops 200 scripts; for the full thousand:
#   VELMORA_SOAK_DROPS=1000 bash scripts/e2e.sh
# Arguments go to the test program, e.g. --gtest_filter='CommandDrop.*'.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

cmake --preset win64 >/dev/null
cmake --build build/win64 --target velmora_e2e -j"$(nproc)" >/dev/null

WINE_SESSION_PREFIX="$root/build/wine-e2e"
rm -rf "$WINE_SESSION_PREFIX"
source scripts/wine-session.sh
trap wine_session_cleanup EXIT
trap 'exit 130' INT TERM
wine_session_display
wine_session_prefix

export VELMORA_SOAK_DROPS="${VELMORA_SOAK_DROPS:-200}"
# The examples tests read the scripts from the repository, seen through Z:.
export VELMORA_E2E_EXAMPLES="Z:${root//\//\\}\\examples"
# Wine ends console lines with CR LF.
status=0
wine build/win64/velmora_e2e.exe "$@" 2>&1 | tr -d '\r' || status=$?

# The same program on a Windows 2000 setting, where balloons are the
# script's own business (its altShowBalloon handler). Only for a full run.
if [ "$#" -eq 0 ]; then
  /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  export WINEPREFIX="$root/build/wine-e2e-win2000"
  rm -rf "$WINEPREFIX"
  wine_session_prefix
  key='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
  wine reg add "$key" /v CurrentVersion /d 5.0 /f >/dev/null 2>&1
  wine reg add "$key" /v CurrentBuildNumber /d 2195 /f >/dev/null 2>&1
  wine reg add "$key" /v CurrentBuild /d 2195 /f >/dev/null 2>&1
  wine reg add "$key" /v CSDVersion /d 'Service Pack 4' /f >/dev/null 2>&1
  wine reg delete "$key" /v CurrentMajorVersionNumber /f >/dev/null 2>&1 || true
  wine reg delete "$key" /v CurrentMinorVersionNumber /f >/dev/null 2>&1 || true
  /usr/lib/wine/wineserver -w
  VELMORA_E2E_WINDOWS=2000 wine build/win64/velmora_e2e.exe \
    --gtest_filter='Windows2000.*:Balloons.*' 2>&1 | tr -d '\r' || status=$?
fi
exit "$status"
