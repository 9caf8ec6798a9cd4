#!/usr/bin/env bash
# Checks a built program the way Windows will see it: its machine type, its
# subsystem (GUI for velmora.exe, console for velmoractl.exe), and that it
# needs only Windows' own DLLs.
# Usage: scripts/check-exe.sh EXE pe32|pe32+ [gui|console]
set -euo pipefail
exe=$1
kind=$2
subsystem=${3:-gui}
headers=$(x86_64-w64-mingw32-objdump -p "$exe")
fail() { echo "check-exe: $exe: $*" >&2; exit 1; }

case $kind in
  pe32) grep -q 'Magic.*010b.*(PE32)' <<<"$headers" || fail "not a PE32 (32-bit) image" ;;
  pe32+) grep -q 'Magic.*020b.*(PE32+)' <<<"$headers" || fail "not a PE32+ (64-bit) image" ;;
  *) fail "unknown kind $kind" ;;
esac
case $subsystem in
  gui) grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || fail "not a GUI-subsystem program" ;;
  console) grep -q 'Subsystem.*(Windows CUI)' <<<"$headers" || fail "not a console program" ;;
  *) fail "unknown subsystem $subsystem" ;;
esac

imports=$(grep 'DLL Name:' <<<"$headers" | awk '{print tolower($3)}' | sort -u)
allowed='^(kernel32|user32|gdi32|shell32|comctl32|ole32|oleaut32|urlmon|wininet|version|shlwapi|gdiplus|advapi32|msvcrt)\.dll$'
while read -r dll; do
  [[ $dll =~ $allowed ]] || fail "imports $dll, which Windows does not ship"
done <<<"$imports"
echo "check-exe: $exe: $kind, $subsystem, imports $(tr '\n' ' ' <<<"$imports")"
