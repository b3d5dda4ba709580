#!/bin/bash
# Runs every test: installs what is missing, builds, packages, makes the
# sandboxed Wine prefixes, starts Xvfb and a persistent wineserver, runs
# CTest.
#   scripts/test.sh [ctest arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
source "$root/scripts/wine-env.sh"
brisola_pick_arch

# The shipped program is always the 32-bit build; check that it is a static
# PE32 GUI program before testing anything. Where only 64-bit Wine runs, the
# 32-bit tests could not run anyway, so only the program is built for i686.
if [ "$BRISOLA_ARCH" = i686 ]; then
  bash "$root/scripts/build.sh" i686
else
  bash "$root/scripts/build.sh" i686 brisola
  bash "$root/scripts/build.sh" "$BRISOLA_ARCH"
fi
bash "$root/scripts/check-exe.sh" "$root/build/i686/brisola.exe"
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

cd "$build"
ctest --output-on-failure "$@"
