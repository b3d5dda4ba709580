#!/bin/bash
# Installs everything the build, the run command, the packaging and the
# tests need on a Debian 12 (amd64) machine. Safe to run again: it installs
# only what is missing and runs apt-get update at most once per call.
set -euo pipefail

need=(
  cmake make g++ python3
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686
  googletest
  wine wine32:i386 wine64
  xvfb xauth x11-utils xdotool imagemagick
  nsis fp-utils libchm-bin
)

missing=()
for p in "${need[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages (${missing[*]}); run as root" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
