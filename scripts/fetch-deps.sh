#!/bin/bash
# Fetches and prepares the third-party sources that are compiled into the
# programs, into build/deps (kept between runs; nothing of it is committed):
#   build/deps/sqlite/sqlite3.c, sqlite3.h   SQLite's amalgamation, made from
#       Debian's sqlite3 source package (upstream source plus Debian's
#       patches) with SQLite's own tool
#   build/deps/psl/public_suffix_list.dat    the Public Suffix List of
#       Debian's publicsuffix package
# Every file is checked against scripts/deps.lock. Safe to run again: it
# does nothing when the outputs are there and their stamp matches the lock.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
lock="$root/scripts/deps.lock"
deps="${BRISOLA_BUILD_ROOT:-$root/build}/deps"
stamp="$deps/.ready"
want=$(sha256sum "$lock" | cut -d' ' -f1)
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ] &&
   [ -f "$deps/sqlite/sqlite3.c" ] && [ -f "$deps/psl/public_suffix_list.dat" ]; then
  exit 0
fi
fail() { echo "fetch-deps: $*" >&2; exit 1; }

# pinned NAME FILE: the sha256 the lock gives FILE.
pinned() { awk -v n="$1" -v f="$2" '$1 == n && $3 == f { print $4 }' "$lock"; }
check() {
  local name=$1 path=$2 sum
  sum=$(pinned "$name" "$(basename "$path")")
  [ -n "$sum" ] || fail "$(basename "$path") is not in scripts/deps.lock"
  echo "$sum  $path" | sha256sum -c --quiet - || fail "$(basename "$path") does not match scripts/deps.lock"
}

# Debian's source index: apt fetches source packages only where a deb-src
# entry exists, so one is added for the same archive as the binaries.
ensure_deb_src() {
  local list=/etc/apt/sources.list.d/brisola-src.sources try
  if [ ! -f "$list" ]; then
    [ "$(id -u)" -eq 0 ] || fail "Debian source entries are missing; run as root once"
    cat >"$list" <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  fi
  # A mirror briefly out of step fails one index; the download decides.
  for try in 1 2 3; do
    apt-get update -q >/dev/null 2>&1 && return 0
    [ $try = 3 ] || sleep 15
  done
  echo "fetch-deps: some package indexes could not be fetched; trying the download anyway" >&2
}

fetch_sqlite() {
  local version dl="$deps/download" work="$deps/work" f
  local src="$work/src" bld="$work/build"
  version=$(awk '$1 == "sqlite3" { print $2; exit }' "$lock")
  mkdir -p "$dl"
  local have=1
  for f in $(awk '$1 == "sqlite3" { print $3 }' "$lock"); do [ -f "$dl/$f" ] || have=0; done
  if [ $have = 0 ]; then
    ensure_deb_src
    local try ok=0
    for try in 1 2 3; do
      if (cd "$dl" && apt-get source -q --download-only "sqlite3=$version" >/dev/null 2>"$dl/apt.log"); then ok=1; break; fi
      [ $try = 3 ] || sleep 15
    done
    [ $ok = 1 ] || fail "could not download Debian's sqlite3 $version source: $(tail -2 "$dl/apt.log" | tr '\n' ' ')"
  fi
  for f in $(awk '$1 == "sqlite3" { print $3 }' "$lock"); do check sqlite3 "$dl/$f"; done

  # The .dsc's signature is not checked here (its key is not installed);
  # apt checked the files against the signed index, and the lock pins them.
  rm -rf "$work"
  mkdir -p "$work"
  dpkg-source -q --no-check -x "$dl/sqlite3_${version}.dsc" "$src" >/dev/null 2>&1 ||
    fail "could not unpack Debian's sqlite3 $version source"
  mkdir -p "$bld"
  (cd "$bld" && "$src/configure" --disable-tcl >/dev/null 2>&1 && make sqlite3.c >"$bld/make.log" 2>&1) ||
    fail "making SQLite's amalgamation failed, see $bld/make.log"
  mkdir -p "$deps/sqlite"
  cp "$bld/sqlite3.c" "$bld/sqlite3.h" "$deps/sqlite/"
  echo "$version" >"$deps/sqlite/debian-version"
  rm -rf "$work"
}

fetch_psl() {
  local dat=/usr/share/publicsuffix/public_suffix_list.dat version
  version=$(awk '$1 == "publicsuffix" { print $2; exit }' "$lock")
  [ -f "$dat" ] || fail "$dat is missing; scripts/setup.sh installs the publicsuffix package"
  [ "$(dpkg-query -W -f='${Version}' publicsuffix 2>/dev/null)" = "$version" ] ||
    fail "publicsuffix $version is expected (scripts/deps.lock)"
  check publicsuffix "$dat"
  mkdir -p "$deps/psl"
  cp "$dat" "$deps/psl/"
}

mkdir -p "$deps"
fetch_sqlite
fetch_psl
echo "$want" >"$stamp"
