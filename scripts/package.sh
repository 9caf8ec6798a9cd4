#!/usr/bin/env bash
# Builds a release of Velmora: the shipped 32-bit velmora.exe and
# velmoractl.exe (the win32 preset's build, optimised for size), then
# dist/velmora-VERSION-win32.zip holding the programs, the first script, the
# examples, the scripting manual as HTML, the licence and a read-me, and the
# installer dist/velmora-VERSION-setup.exe with the same files. The version is
# the one in the project() line of CMakeLists.txt.
# Usage: scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=build/win32

bash scripts/setup.sh >/dev/null
cmake --preset win32 >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
bash scripts/check-exe.sh "$build/velmora.exe" pe32
bash scripts/check-exe.sh "$build/velmoractl.exe" pe32 console

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "package: no project version in $build/CMakeCache.txt" >&2; exit 1; }
name=velmora-$version
stage=$root/$build/stage/$name
rm -rf "$root/$build/stage"
mkdir -p "$stage" dist

# Windows users open text files in Notepad: give them CR LF line ends.
crlf() { sed 's/\r$//; s/$/\r/' "$1" >"$2"; }

cp "$build/velmora.exe" "$build/velmoractl.exe" "$stage/"
cp examples/boot.scp "$stage/boot.scp"
cp -r examples "$stage/examples"
python3 scripts/md2html.py docs/scripting.md "$stage/scripting.html"
crlf LICENSE "$stage/LICENSE.txt"
crlf /dev/stdin "$stage/README.txt" <<EOF
Velmora $version
$(printf '%*s' $((8 + ${#version})) '' | tr ' ' '=')

Velmora puts one icon in the Windows notification area and lets a script
decide everything that icon does: its picture and tooltip, balloons, a menu,
what each click does, timed events, and questions whose answers other
programs read from a text file.

Getting started
1. Put this folder where you can write to it, for example in Documents.
   Velmora keeps its files beside velmora.exe, so not in Program Files.
2. Start velmora.exe. It runs boot.scp, the first script: an icon with a
   balloon appears in the notification area. Right-click it for its menu.
3. Open boot.scp in Notepad, change it, and start Velmora again.

What is here
  velmora.exe      the program: one file, 32-bit, needs nothing but Windows
                   (Windows Vista or later)
  velmoractl.exe   the console companion: "velmoractl check boot.scp" finds
                   a script's mistakes; "send" hands Velmora a script and
                   "ask" asks the user a question from a batch file
  boot.scp         the script Velmora runs when it starts
  scripting.html   the scripting manual: every command, event and trap
  examples\\        scripts to start from, each explained at its top
  LICENSE.txt      the MIT licence

Other programs hand Velmora work by dropping *.scp files into this folder;
answers to its questions appear in output.txt here.
EOF

zip=dist/$name-win32.zip
rm -f "$zip"
(cd "$root/$build/stage" && zip -q -r -X "$root/$zip" "$name")

echo "package: $zip ($(stat -c %s "$zip") bytes)"
echo "package: velmora.exe SHA-256 $(sha256sum "$build/velmora.exe" | cut -d' ' -f1)"

setup=dist/$name-setup.exe
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DICON="$root/src/platform/win32/velmora.ico" \
  -DOUTFILE="$root/$setup" scripts/velmora.nsi
echo "package: $setup ($(stat -c %s "$setup") bytes)"
