#!/bin/bash
# Checks that a built program is a PE32 program for Intel 80386 that needs
# only Windows' own DLLs, is marked for Windows Vista and later, carries
# the version of resources/version.h and a manifest that keeps
# virtualization (no requestedExecutionLevel).
#   scripts/check-exe.sh EXE [gui|console]     (default gui)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$1
subsystem=${2:-gui}
fail() { echo "check-exe: $exe $*" >&2; exit 1; }
dump=$(i686-w64-mingw32-objdump -p "$exe")
grep -q 'file format pei-i386' <<< "$dump" || fail "is not PE32 i386"
want=2; [ "$subsystem" = console ] && want=3
grep -Eq "^Subsystem[[:space:]]+0*$want[[:space:]]" <<< "$dump" || fail "is not a $subsystem program"
grep -Eq '^MajorSubsystemVersion[[:space:]]+6$' <<< "$dump" || fail "is not marked for Windows Vista"
grep -q 'large address aware' <<< "$dump" || fail "is not large-address-aware"
dlls=$(echo "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
allowed='^(kernel32|ntdll|user32|gdi32|comctl32|comdlg32|advapi32|shell32|ole32|oleaut32|wininet|winmm|msvcrt|shlwapi|version|api-ms-win-[a-z0-9-]+)\.dll$'
bad=$(echo "$dlls" | grep -Ev "$allowed" || true)
[ -z "$bad" ] || fail "needs non-system DLLs: $bad"

# The version resource and the manifest read back from the file.
major=$(sed -n 's/^#define BRISOLA_VERSION_MAJOR //p' "$root/resources/version.h")
minor=$(sed -n 's/^#define BRISOLA_VERSION_MINOR //p' "$root/resources/version.h")
res=$(i686-w64-mingw32-windres -i "$exe" -O rc 2>/dev/null |
      sed -n '/^1 VERSIONINFO/,/^END/p; /^1 24 /,/^END/p')
for line in "FILEVERSION $major, $minor, 0, 0" "PRODUCTVERSION $major, $minor, 0, 0" \
            "\"FileVersion\", \"$major.$minor.0.0\"" "\"ProductVersion\", \"$major.$minor.0.0\"" \
            '"CompanyName", "Vosk Software Inc."' '"ProductName", "Brisola"' '"FileDescription", "' \
            'supportedOS'; do
  grep -qF "$line" <<< "$res" || fail "lacks $line in its version resource or manifest"
done
if grep -q 'requestedExecutionLevel' <<< "$res"; then fail "asks for an execution level"; fi
echo "check-exe: $(basename "$exe") is a static PE32 $subsystem program for Vista and later," \
     "version $major.$minor.0.0; imports: $(echo $dlls)"
