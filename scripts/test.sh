#!/usr/bin/env bash
# Builds and runs every test: the unit tests natively, again under
# AddressSanitizer and UndefinedBehaviorSanitizer, the Windows builds, the
# release (zip and installer) and the end-to-end tests of the real programs
# under Wine, and a short fuzz run.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)

step() { printf '\n== %s ==\n' "$*"; }

step "unit tests (native)"
cmake --preset native >/dev/null
cmake --build --preset native -j"$jobs"
ctest --preset native -j"$jobs"

step "unit tests (address and undefined-behaviour sanitizers)"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j"$jobs"
ctest --preset sanitize -j"$jobs"

for preset in win32:pe32 win64:pe32+; do
  step "Windows program (${preset%%:*})"
  cmake --preset "${preset%%:*}" >/dev/null
  cmake --build "build/${preset%%:*}" -j"$jobs"
  bash scripts/check-exe.sh "build/${preset%%:*}/velmora.exe" "${preset##*:}"
  bash scripts/check-exe.sh "build/${preset%%:*}/velmoractl.exe" "${preset##*:}" console
done

step "the release and the end-to-end tests under Wine (soak of ${VELMORA_SOAK_DROPS:-200} drops)"
bash scripts/e2e.sh

if command -v clang++-14 >/dev/null; then
  step "fuzz target (30 s)"
  cmake --preset fuzz >/dev/null
  cmake --build build/fuzz -j"$jobs"
  mkdir -p build/fuzz/corpus
  build/fuzz/fuzz/velmora_fuzz_script -max_total_time=30 -timeout=10 \
    build/fuzz/corpus fuzz/seeds 2>&1 | tail -n 3
fi

step "all tests passed"
