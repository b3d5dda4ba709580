#!/bin/bash
# Checks that a built program is a PE32 GUI program for Intel 80386 that
# needs only Windows' own DLLs and may use more than 2 GB.
set -euo pipefail
exe=$1
dump=$(i686-w64-mingw32-objdump -p "$exe")
grep -q 'file format pei-i386' <<< "$dump" || { echo "check-exe: $exe is not PE32 i386" >&2; exit 1; }
grep -Eq '^Subsystem[[:space:]]+0*2[[:space:]]' <<< "$dump" || { echo "check-exe: $exe is not a GUI program" >&2; exit 1; }
grep -q 'large address aware' <<< "$dump" || { echo "check-exe: $exe is not large-address-aware" >&2; exit 1; }
dlls=$(echo "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
allowed='^(kernel32|ntdll|user32|gdi32|comctl32|comdlg32|advapi32|shell32|ole32|oleaut32|wininet|winmm|msvcrt|shlwapi|version|api-ms-win-[a-z0-9-]+)\.dll$'
bad=$(echo "$dlls" | grep -Ev "$allowed" || true)
if [ -n "$bad" ]; then
  echo "check-exe: $exe needs non-system DLLs: $bad" >&2
  exit 1
fi
echo "check-exe: $(basename "$exe") is a static PE32 GUI program; imports: $(echo $dlls)"
