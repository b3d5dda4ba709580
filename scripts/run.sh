#!/bin/bash
# Builds Brisola and starts it under Wine in a sandboxed prefix kept under
# build/. With a working display the window appears there; without one it
# runs on Xvfb and saves a screenshot, whose path it prints.
#   scripts/run.sh [--screenshots]
# --screenshots always runs on Xvfb and also scans the sample drives in the
# Drive Cleaner view, then refreshes the README's pictures in docs/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
shots=0
[ "${1:-}" = --screenshots ] && shots=1
bash "$root/scripts/setup.sh"
source "$root/scripts/wine-env.sh"
brisola_pick_arch
bash "$root/scripts/build.sh" i686
if [ "$BRISOLA_ARCH" != i686 ]; then
  bash "$root/scripts/build.sh" "$BRISOLA_ARCH"
fi
exe="$root/build/$BRISOLA_ARCH/brisola.exe"

sandbox="$root/build/sandbox-$BRISOLA_ARCH/run"
headless=1
if [ $shots = 0 ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then headless=0; fi
display_was=${DISPLAY:-}
if [ $headless = 1 ]; then brisola_start_xvfb; fi
trap '"$WINESERVER" -k >/dev/null 2>&1 || true; brisola_stop_xvfb' EXIT

fresh=0
[ -f "$sandbox/.prefix-ready" ] || fresh=1
brisola_make_prefix "$sandbox" d:hd
if [ $fresh = 1 ]; then
  bash "$root/scripts/seed-junk.sh" "$sandbox"
fi
"$WINESERVER" -p
brisola_warm_prefix

cd "$WINEPREFIX/drive_c"
if [ $headless = 0 ]; then
  echo "run: starting Brisola on $display_was"
  "$WINELOADER" "$exe"
  exit 0
fi

# Headless: no Tips dialog over the main window in the picture. Let the
# splash pass and the start-up scan finish, then take a
# picture of the virtual desktop with the main window on it.
"$WINELOADER" reg add 'HKLM\Software\VOSK Software\Brisola' /v EnableTips /t REG_BINARY /d 00000000 /f >/dev/null 2>&1 || true
"$WINELOADER" "$exe" >"$sandbox/brisola.log" 2>&1 &
pid=$!
sleep "${BRISOLA_SHOT_DELAY:-12}"
shot="$root/build/brisola-screenshot.png"
import -display "$DISPLAY" -window root -crop 1024x768+0+0 +repage "$root/build/brisola-startup-scan.png"
# The start-up scan's window sits centred over the main window: press its
# Close button (the desktop is 1024x768), then take the main window.
xdotool mousemove 510 537 click 1 >/dev/null 2>&1 || true
xdotool mousemove 1000 750 >/dev/null 2>&1 || true
sleep 1
import -display "$DISPLAY" -window root -crop 1024x768+0+0 +repage "$shot"
echo "run: screenshot of the start-up scan: $root/build/brisola-startup-scan.png"
echo "run: screenshot of the main window: $shot"
if [ $shots = 1 ]; then
  # The Drive Cleaner view, then SCAN; the found files open when it ends.
  xdotool mousemove 229 389 click 1 >/dev/null 2>&1
  sleep 1
  xdotool mousemove 532 584 click 1 >/dev/null 2>&1
  xdotool mousemove 1000 750 >/dev/null 2>&1
  sleep "${BRISOLA_SCAN_DELAY:-15}"
  import -display "$DISPLAY" -window root -crop 1024x768+0+0 +repage "$root/build/brisola-found-files.png"
  # The found files' Close button, then the view behind it.
  xdotool mousemove 744 540 click 1 >/dev/null 2>&1
  xdotool mousemove 1000 750 >/dev/null 2>&1
  sleep 1
  import -display "$DISPLAY" -window root -crop 1024x768+0+0 +repage "$root/build/brisola-drive-cleaner.png"
  # Cut to the window: the desktop around it is one colour.
  convert "$shot" -trim +repage "$root/docs/screenshot-main.png"
  convert "$root/build/brisola-drive-cleaner.png" -trim +repage "$root/docs/screenshot-drive-cleaner.png"
  echo "run: README pictures: $root/docs/screenshot-main.png $root/docs/screenshot-drive-cleaner.png"
fi
"$WINESERVER" -k >/dev/null 2>&1 || true
wait $pid 2>/dev/null || true
