#!/bin/bash
# Runs every test: installs what is missing, runs the native unit tests,
# builds, packages, makes the sandboxed Wine prefixes, starts Xvfb and a
# persistent wineserver, runs CTest.
#   scripts/test.sh [ctest arguments...]
#   scripts/test.sh -R unit        only the native unit tests (tests/unit)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"

# The native unit tests first: the program's pure logic built with the
# host's compiler, in seconds; a failure ends the run here.
bash "$root/scripts/fetch-deps.sh"
host="${BRISOLA_BUILD_ROOT:-$root/build}/host"
cmake -S "$root/tests/unit" -B "$host" -DBRISOLA_DEPS_DIR="${BRISOLA_BUILD_ROOT:-$root/build}/deps" >/dev/null
cmake --build "$host" -j"$(nproc)" -- --no-print-directory >/dev/null
if [ "${1:-}" = -R ] && [[ "${2:-}" == unit* ]]; then
  exec ctest --test-dir "$host" --output-on-failure -R "$2"
fi
ctest --test-dir "$host" --output-on-failure
source "$root/scripts/wine-env.sh"
brisola_pick_arch

# The shipped program is always the 32-bit build; check that it is a static
# PE32 GUI program before testing anything. Where only 64-bit Wine runs, the
# 32-bit tests cannot run, but every target is still built for i686 so that
# what only the 32-bit build gets wrong fails here; they are not run.
bash "$root/scripts/build.sh" i686
[ "$BRISOLA_ARCH" = i686 ] || bash "$root/scripts/build.sh" "$BRISOLA_ARCH"
bash "$root/scripts/check-exe.sh" "$root/build/i686/brisola.exe"
if [ -f "$root/build/i686/brisolac.exe" ]; then bash "$root/scripts/check-exe.sh" "$root/build/i686/brisolac.exe" console; fi
build="$root/build/$BRISOLA_ARCH"
# The shipped packages, checked, and the same installer script around the
# build under test, for the install test.
bash "$root/scripts/package.sh" --test-installer "$BRISOLA_ARCH"

sandboxes="$root/build/sandbox-$BRISOLA_ARCH"
export BRISOLA_SANDBOX="$sandboxes/tests"
export BRISOLA_DRIVES_SANDBOX="$sandboxes/drives"
export BRISOLA_INSTALL_SANDBOX="$sandboxes/install"
brisola_make_prefix "$BRISOLA_DRIVES_SANDBOX" a:floppy d:cdrom e:hd
brisola_make_prefix "$BRISOLA_SANDBOX"
brisola_make_prefix "$BRISOLA_INSTALL_SANDBOX"
cp "$build/brisolac.exe" "$BRISOLA_SANDBOX/prefix/drive_c/brisolac.exe"
cp "$build"/package/Brisola-*-setup.exe "$BRISOLA_INSTALL_SANDBOX/prefix/drive_c/brisola-setup.exe"
cp "$build"/package/Brisola-?.*.msi "$BRISOLA_INSTALL_SANDBOX/prefix/drive_c/brisola.msi"
cp "$build"/package/Brisola-next.msi "$BRISOLA_INSTALL_SANDBOX/prefix/drive_c/brisola-next.msi"

cleanup() {
  for s in "$BRISOLA_SANDBOX" "$BRISOLA_DRIVES_SANDBOX" "$BRISOLA_INSTALL_SANDBOX"; do
    (brisola_use_prefix "$s"; "$WINESERVER" -k >/dev/null 2>&1 || true)
  done
  brisola_stop_xvfb
}
trap cleanup EXIT
brisola_start_xvfb

# One persistent wineserver per prefix, so each test program starts fast.
# Wine's background processes (services, the desktop) start here, with
# their output away from CTest's pipes, which they would otherwise hold open.
for s in "$BRISOLA_SANDBOX" "$BRISOLA_DRIVES_SANDBOX" "$BRISOLA_INSTALL_SANDBOX"; do
  (brisola_use_prefix "$s"; "$WINESERVER" -p; brisola_warm_prefix)
done

# Lines of tests against lines of program: *.cpp/*.h/*.rc without blank
# and comment-only lines.
code_lines() {
  (cd "$root" && git ls-files --cached --others --exclude-standard -- "$@" |
     grep -E '\.(cpp|h|rc)$' | while read -r f; do [ -f "$f" ] && cat "$f"; done |
     grep -cvE '^[[:space:]]*(//.*)?$' || true)
}

cd "$build"
status=0
ctest --output-on-failure "$@" || status=$?
tests=$(code_lines tests)
program=$(code_lines app ui fs sweep jobs drives cookies settings browsers resources console)
awk -v t="$tests" -v p="$program" 'BEGIN { printf "tests %d lines / program %d lines = %.2f\n", t, p, p ? t / p : 0 }'
exit "$status"
