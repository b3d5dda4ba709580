#!/bin/bash
# Puts harmless sample junk into a run prefix so that a newcomer sees real
# figures: temp files, recent-document links, a recycled file's worth of
# old backups on drive D: and a few extension filters.
set -euo pipefail
sandbox=$1
c="$sandbox/prefix/drive_c"
user=$(ls "$c/users" | grep -v '^Public$' | head -1)
temp="$c/users/$user/Temp"
recent="$c/users/$user/AppData/Roaming/Microsoft/Windows/Recent"
mkdir -p "$temp/setup-cache" "$recent" "$sandbox/drives/d/projects/old"
for i in 1 2 3 4 5; do head -c $((i * 40000)) /dev/zero >"$temp/~brisola-sample$i.tmp"; done
head -c 250000 /dev/zero >"$temp/setup-cache/installer.log"
for n in notes budget letter; do printf 'sample shortcut\r\n' >"$recent/$n.txt.lnk"; done
head -c 120000 /dev/zero >"$sandbox/drives/d/projects/old/report.doc.bak"
head -c 64000 /dev/zero >"$sandbox/drives/d/projects/build.tmp"
printf 'error log\r\n' >"$sandbox/drives/d/projects/old/trace.log"
printf '.tmp Temporary files $ true\r\n.bak Backup copies $ true\r\n.log Log files $ false\r\n[end]' \
  >"$c/windows/datafilters.txt"
