#!/bin/bash
# Checks that a built program is a PE32 program for Intel 80386 that needs
# only Windows' own DLLs and only functions Windows Vista has (the reviewed
# list scripts/imports-vista.txt), is marked for Windows Vista and later, carries
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

# Each imported function, as dll!name. The list holds the functions checked
# against Vista's DLLs; a function new in a later Windows would stop the
# program from starting there, so a new import must be looked up first.
imports=$(awk '/^[[:space:]]*DLL Name:/ { dll = tolower($3); next }
               /^[[:space:]]*$/ { dll = "" }
               dll != "" && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ && NF >= 3 { print dll "!" $3 }' <<< "$dump" |
          sort -u)
[ -n "$imports" ] || fail "shows no imported functions"
newer='^kernel32\.dll!(GetSystemTimePreciseAsFileTime|CreateFile2|WaitOnAddress|WakeByAddress.*|SetThreadDescription|GetThreadDescription|TryAcquireSRWLock.*|GetLogicalProcessorInformationEx|SetDefaultDllDirectories|AddDllDirectory|GetCurrentPackage.*|PowerCreateRequest)$|!PathCch|!Pathcch'
known=$(grep -Ev '^[[:space:]]*(#|$)' "$root/scripts/imports-vista.txt" | sort -u)
late=$(grep -E "$newer" <<< "$imports" || true)
[ -z "$late" ] || fail "imports functions newer than Windows Vista: $(echo $late)"
unknown=$(comm -23 <(echo "$imports") <(echo "$known"))
[ -z "$unknown" ] || fail "imports functions not yet checked against Windows Vista: $(echo $unknown)
  (look each up; if Vista has it, add it to scripts/imports-vista.txt)"

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
     "version $major.$minor.0.0; imports: $(echo $dlls) ($(wc -l <<< "$imports") functions, all on Vista)"
