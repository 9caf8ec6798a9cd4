#!/usr/bin/env bash
# Installs everything the build, the tests, the run and the package need on a
# fresh Debian 12: nothing is assumed to be there already.
# Safe to run again: it only installs what is missing.
set -euo pipefail

packages=(
  ca-certificates cmake make g++ googletest libgtest-dev libbenchmark-dev
  # libcrypto for velmoractl's keys and signatures off Windows; the openssl
  # command signs the end-to-end tests' updates as a user's server would.
  libssl-dev openssl
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64
  clang-14 libclang-rt-14-dev clang-format
  # `wine` gives the wine command; wine64 and wine32:i386 run the 64-bit test
  # build and the shipped 32-bit program in the same prefix.
  wine wine64 wine32:i386
  xvfb xdotool imagemagick x11-apps x11-utils
  nsis cmark-gfm python3 zip unzip procps
)

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: everything is installed"
  exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
# wine32 is an i386 package: the architecture must be known before the update.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "setup: installed ${missing[*]}"
