#!/usr/bin/env bash
# Measures Velmora, on demand: the script engine's benchmarks natively, the
# size of the shipped 32-bit exe, and that exe beside a minimal tray program
# built the same way, under Wine (start-up, private bytes, drop latency). See
# docs/performance.md.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)

step() { printf '\n== %s ==\n' "$*"; }

work=$(mktemp -d)
cleanup() {
  if declare -F wine_session_cleanup >/dev/null; then
    wine_session_cleanup
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

bash scripts/setup.sh >/dev/null

step "script engine (native)"
cmake --preset bench >/dev/null
cmake --build build/bench -j"$jobs" >/dev/null
build/bench/bench/velmora_bench

step "Windows build"
# The shipped configuration (32-bit, no test hooks, size-optimised) with the
# baseline program and the runner built the same way.
cmake --preset win32 -B build/bench-win32 -DVELMORA_BENCH_WINE=ON >/dev/null
cmake --build build/bench-win32 -j"$jobs" --target velmora tray_baseline wine_bench >/dev/null
echo "built build/bench-win32"

step "size of the stripped PE32 exe"
limit=$((600 * 1024))
for exe in build/bench-win32/velmora.exe build/bench-win32/bench/wine/tray_baseline.exe; do
  copy="$work/$(basename "$exe")"
  cp "$exe" "$copy"
  i686-w64-mingw32-strip "$copy"
  size=$(stat -c %s "$copy")
  verdict=""
  if [ "$(basename "$exe")" = velmora.exe ]; then
    verdict="target < 600 KB: $([ "$size" -lt "$limit" ] && echo met || echo MISSED)"
  fi
  printf '%-18s %8d bytes (%d KB)  %s\n' "$(basename "$exe")" "$size" $((size / 1024)) "$verdict"
done

step "velmora.exe beside the baseline, 32-bit, under Wine"
WINE_SESSION_PREFIX="$work/prefix"
source scripts/wine-session.sh
wine_session_display
wine_session_prefix
mkdir "$work/run"
cp build/bench-win32/velmora.exe build/bench-win32/bench/wine/tray_baseline.exe \
  build/bench-win32/bench/wine/wine_bench.exe "$work/run/"
echo "display $DISPLAY, prefix $WINEPREFIX; this takes about three minutes"
if ! (cd "$work/run" && wine wine_bench.exe velmora.exe tray_baseline.exe 2>"$work/wine.err" |
  tr -d '\r'); then
  cat "$work/wine.err" >&2
  exit 1
fi
grep '^warning' "$work/wine.err" | tr -d '\r' || true
