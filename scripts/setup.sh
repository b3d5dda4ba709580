#!/bin/bash
# Installs everything the build, the run command, the packaging and the
# tests need on a Debian 12 (amd64) machine. Safe to run again: it installs
# only what is missing. Every script that builds or runs anything calls it.
#
# A package mirror is sometimes briefly out of step with itself ("Mirror
# sync in progress?"): apt-get update is tried three times and a partial
# index failure does not stop the set-up; the install that follows decides,
# and when it fails it names each package it could not install and why.
#
# Wine's 32-bit loader is an i386 Linux program. wine32:i386 is installed
# only where this machine can execute one (a probe decides); elsewhere the
# tests run the x86_64 build under 64-bit Wine, and the i386 architecture,
# whose indexes are the ones most often out of step, is never added.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

need=(
  cmake make g++ python3
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686
  googletest
  wine wine64
  xvfb xauth x11-utils xdotool imagemagick
  nsis fp-utils libchm-bin wixl msitools
  dpkg-dev tcl8.6 publicsuffix sqlite3
)
need_i386=(wine32:i386)

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

missing_of() {
  local p
  for p in "$@"; do installed "$p" || echo "$p"; done
}

# True when this machine executes a 32-bit x86 Linux program: a 96-byte
# static ELF32 that only calls exit(42) through int 0x80, so it needs no
# i386 library.
can_run_i386() {
  local dir rc=0
  dir=$(mktemp -d)
  printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\273\052\000\000\000\315\200' >"$dir/probe"
  chmod +x "$dir/probe"
  "$dir/probe" 2>/dev/null || rc=$?
  rm -rf "$dir"
  [ "$rc" -eq 42 ]
}

updated=0
apt_update() {
  [ $updated = 0 ] || return 0
  updated=1
  local try
  for try in 1 2 3; do
    if apt-get update -q; then return 0; fi
    echo "setup: apt-get update failed (try $try of 3)" >&2
    [ $try = 3 ] || sleep 15
  done
  echo "setup: some package indexes could not be fetched; going on, the install decides" >&2
}

# Prints, for each package that apt cannot install, the package and apt's
# reason, from a dry run of that package alone.
explain_failures() {
  local p reason
  for p in "$@"; do
    reason=$(apt-get install -s -y -q --no-install-recommends "$p" 2>&1 |
             grep -E '^(E:| [^ ].*(Depends|Conflicts|Breaks):|  +Depends:)' | head -4 | tr -s ' ' | paste -sd';' -) || true
    [ -n "$reason" ] && echo "setup:   $p: $reason" >&2
  done
  return 0
}

# apt_install PACKAGE...: installs, with one more try after a fresh index,
# and explains what could not be installed.
apt_install() {
  export DEBIAN_FRONTEND=noninteractive
  if apt-get install -y -q --no-install-recommends "$@"; then return 0; fi
  updated=0
  apt_update
  if apt-get install -y -q --no-install-recommends "$@"; then return 0; fi
  echo "setup: could not install these packages:" >&2
  explain_failures "$@"
  return 1
}

# A failed 32-bit Wine install is remembered for a day, so that every
# script that calls this does not pay for the same failure again.
i386_failed=/var/cache/brisola-setup/wine32-failed
recently_failed() {
  [ -n "$(find "$i386_failed" -mmin -1440 2>/dev/null)" ]
}

mapfile -t missing < <(missing_of "${need[@]}")
want_i386=0
if ! installed wine32:i386 && ! recently_failed && can_run_i386; then want_i386=1; fi
[ ${#missing[@]} -eq 0 ] && [ $want_i386 = 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages (${missing[*]}${missing:+ }$([ $want_i386 = 1 ] && echo wine32:i386)); run as root" >&2
  exit 1
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  apt_update
  apt_install "${missing[@]}"
fi

# 32-bit Wine only helps where 32-bit programs run; without it the tests
# use the x86_64 build, so a failure here is a warning, not an error.
if [ $want_i386 = 1 ]; then
  echo "setup: this machine runs 32-bit programs; installing ${need_i386[*]}"
  added=0
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    updated=0 added=1
  fi
  apt_update
  if apt_install "${need_i386[@]}"; then
    rm -f "$i386_failed"
  else
    echo "setup: going on without 32-bit Wine; the tests run the x86_64 build" >&2
    mkdir -p "$(dirname "$i386_failed")" && date >"$i386_failed"
    # Its indexes would only slow and trouble every later update.
    if [ $added = 1 ]; then dpkg --remove-architecture i386 2>/dev/null || true; fi
  fi
fi
exit 0
