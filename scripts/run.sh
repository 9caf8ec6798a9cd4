#!/usr/bin/env bash
# Builds Velmora and runs it under Wine, inside a Wine desktop whose taskbar
# shows the notification area: on your display with USE_DISPLAY=1, else on an
# Xvfb of its own. Usage: scripts/run.sh [script.scp]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
script=${1:-examples/boot.scp}
[ -f "$script" ] || { echo "no such script: $script" >&2; exit 2; }

bash scripts/setup.sh >/dev/null
# The program users get: the shipped 32-bit build.
cmake --preset win32 >/dev/null
cmake --build build/win32 --target velmora -j"$(nproc)" >/dev/null

mkdir -p run
cp build/win32/velmora.exe run/velmora.exe
cp "$script" run/boot.scp

WINE_SESSION_PREFIX="$root/build/wine-run"
source scripts/wine-session.sh
trap wine_session_cleanup EXIT
trap 'exit 130' INT TERM
wine_session_display
wine_session_prefix

echo "Velmora runs on display $DISPLAY. Drop *.scp files into: $root/run"
echo "Answers and menu choices go to: $root/run/output.txt"
(cd run && wine explorer /desktop=velmora,800x600 velmora.exe) &
desktop=$!

# A screenshot once the icon has had time to appear.
(
  deadline=$((SECONDS + 60))
  until xwininfo -root -children -display "$DISPLAY" 2>/dev/null | grep -q 'Wine desktop'; do
    [ $SECONDS -lt $deadline ] || exit 0
    sleep 0.5
  done
  sleep 3
  import -window root -display "$DISPLAY" run/screenshot.png && echo "Screenshot: $root/run/screenshot.png"
) &

wait "$desktop" || true
echo "Velmora has quit."
