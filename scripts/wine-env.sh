# Sourced by the run and test scripts. Chooses the Wine flavour, builds
# sandboxed prefixes and starts a virtual display.
#
# Sandbox rules: a prefix made here has no z: drive (the host root), every
# drive letter points into its own sandbox folder, and HOME and the XDG
# folders point into the sandbox too, because wineboot links the shell
# folders to $HOME and Wine's Recycle Bin is the XDG trash.

# Picks the Windows architecture that this machine's Wine can run.
# Wine's 32-bit loader is an i386 Linux program; some virtual machines
# (e.g. PVM guests) refuse to execute any 32-bit Linux binary, and where
# they can, wine32:i386 may still be missing (scripts/setup.sh installs it
# only where it can run, and goes on without it when the mirror cannot
# supply it), so there we run the same sources built for x86_64 under the
# 64-bit loader instead.
brisola_pick_arch() {
  if [ -n "${BRISOLA_ARCH:-}" ]; then
    :
  elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
    BRISOLA_ARCH=i686
  else
    BRISOLA_ARCH=x86_64
    echo "wine-env: 32-bit Wine does not run here (not installed, or this machine" \
         "cannot execute 32-bit Linux programs); testing the x86_64 build under 64-bit Wine" >&2
  fi
  if [ "$BRISOLA_ARCH" = i686 ]; then
    export WINEARCH=win32 WINELOADER=/usr/lib/wine/wine
  else
    export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
  fi
  export WINESERVER=/usr/lib/wine/wineserver
  export BRISOLA_ARCH
}

# brisola_use_prefix SANDBOX: exports the environment of the prefix that
# lives in SANDBOX/prefix.
brisola_use_prefix() {
  local sandbox=$1
  export WINEPREFIX="$sandbox/prefix"
  export HOME="$sandbox/home"
  export XDG_DATA_HOME="$sandbox/xdg/data"
  export XDG_CONFIG_HOME="$sandbox/xdg/config"
  export XDG_CACHE_HOME="$sandbox/xdg/cache"
  export XDG_RUNTIME_DIR="$sandbox/xdg/run"
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}

# brisola_make_prefix SANDBOX [LETTER:TYPE ...]
# Creates (once) a prefix in SANDBOX with c: only, plus a drive for each
# LETTER:TYPE, TYPE one of hd, floppy, cdrom, mapped to SANDBOX/drives/LETTER.
brisola_make_prefix() {
  local sandbox=$1; shift
  local specs="$*"
  brisola_use_prefix "$sandbox"
  local stamp="$sandbox/.prefix-ready"
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$WINEARCH $specs" ]; then
    return 0
  fi
  "$WINESERVER" -k >/dev/null 2>&1 || true
  rm -rf "$sandbox"
  mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  (cd "$sandbox" && "$WINELOADER" wineboot -i >"$sandbox/wineboot.log" 2>&1) || true
  "$WINESERVER" -w
  [ -d "$WINEPREFIX/drive_c/windows" ] || { echo "wine-env: wineboot failed, see $sandbox/wineboot.log" >&2; return 1; }

  # Drop every drive but c:, above all z: (the host root).
  local link
  for link in "$WINEPREFIX"/dosdevices/?:*; do
    case "$(basename "$link")" in c:) ;; *) rm -f "$link" ;; esac
  done

  local reg="$WINEPREFIX/drive_c/brisola-sandbox.reg"
  {
    echo "REGEDIT4"
    echo
    echo "[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]"
    local drive letter type
    for drive in $specs; do
      letter=${drive%%:*}; type=${drive#*:}
      mkdir -p "$sandbox/drives/$letter"
      ln -sfn "$sandbox/drives/$letter" "$WINEPREFIX/dosdevices/$letter:"
      echo "\"$letter:\"=\"$type\""
    done
    echo
    # One virtual desktop: windows are drawn with their frames, and Wine
    # does not wait for a window manager that Xvfb lacks on every hide.
    echo "[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]"
    echo "\"Desktop\"=\"Default\""
    echo
    echo "[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]"
    echo "\"Default\"=\"1024x768\""
    echo
    echo "[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]"
    echo "\"ShowCrashDialog\"=dword:00000000"
    echo
    echo "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug]"
    echo "\"Auto\"=\"0\""
    echo "\"Debugger\"=\"false\""
  } >"$reg"
  (cd "$WINEPREFIX/drive_c" && "$WINELOADER" regedit /S 'C:\brisola-sandbox.reg' >/dev/null 2>&1) || true
  # Drive types are read when the wineserver starts.
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w || true
  rm -f "$reg"
  if [ -e "$WINEPREFIX/dosdevices/z:" ]; then
    echo "wine-env: refusing to go on, z: is still mapped" >&2
    return 1
  fi
  echo "$WINEARCH $specs" >"$stamp"
}

# Starts the prefix's background processes (services, the virtual
# desktop) detached from the caller's output.
brisola_warm_prefix() {
  (cd "$WINEPREFIX/drive_c" && "$WINELOADER" rundll32 user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1) || true
}

# Starts Xvfb on a free display unless a display is given; sets DISPLAY and
# BRISOLA_XVFB_PID.
brisola_start_xvfb() {
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
  done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  BRISOLA_XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 50); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "wine-env: Xvfb did not start" >&2
  return 1
}

brisola_stop_xvfb() {
  if [ -n "${BRISOLA_XVFB_PID:-}" ]; then
    kill "$BRISOLA_XVFB_PID" 2>/dev/null || true
    wait "$BRISOLA_XVFB_PID" 2>/dev/null || true
    BRISOLA_XVFB_PID=
  fi
}
