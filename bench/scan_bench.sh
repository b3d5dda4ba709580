#!/bin/bash
# Benchmark of the disk scan against `du -sb`, and of the found-files view,
# on 100,000 files in 1,000 folders generated inside the test sandbox's
# drive_c (never anywhere else). Not part of the test run.
#   bench/scan_bench.sh
# Targets: scan with its display <= 1.2 x the same walk without display,
# <= 3 x du -sb; found-files dialog opens and closes in < 0.3 s; < 150
# bytes of memory per found file.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
brisola_pick_arch
arch=$BRISOLA_ARCH
bash "$root/scripts/build.sh" "$arch"
build="$root/build/$arch"
out="$build/bench"
mkdir -p "$out"

cross=$([ "$arch" = i686 ] && echo i686-w64-mingw32 || echo x86_64-w64-mingw32)
"$cross-windres" -I "$build/art" -I "$root/resources" -O coff "$root/resources/brisola.rc" "$out/brisola_res.o"
"$cross-g++" -std=c++17 -O2 -Wall -Wextra -Werror -DWINVER=0x0600 -D_WIN32_WINNT=0x0600 -D_WIN32_IE=0x0600 \
  -DNOMINMAX -DWIN32_LEAN_AND_MEAN -I "$root" -I "$root/resources" \
  "$root/bench/scan_bench.cpp" "$out/brisola_res.o" -o "$out/scan_bench.exe" \
  "$build/libbrisola_core.a" -lcomctl32 -lwininet -lshell32 -lole32 -loleaut32 -luuid -ladvapi32 -lwinmm \
  -lgdi32 -luser32 -lkernel32 -static -static-libgcc -static-libstdc++

sandbox="$root/build/sandbox-$arch/tests"
brisola_make_prefix "$sandbox"
tree="$sandbox/prefix/drive_c/brisola-bench/tree"
case "$tree" in "$sandbox"/prefix/drive_c/*) ;; *) echo "refusing: $tree" >&2; exit 1 ;; esac
if [ ! -f "$tree/.complete" ]; then
  rm -rf "$tree"
  python3 - "$tree" <<'PY'
import os, sys
tree = sys.argv[1]
for d in range(1000):
    folder = os.path.join(tree, "d%03d" % (d // 10), "f%04d" % d)
    os.makedirs(folder, exist_ok=True)
    for f in range(100):
        with open(os.path.join(folder, "file%03d.%s" % (f, "tmp" if f % 2 else "dat")), "wb") as h:
            h.write(b"x" * (f % 7))
open(os.path.join(tree, ".complete"), "w").close()
PY
fi

du -sb "$tree" >/dev/null
start=$(date +%s.%N); du -sb "$tree" >/dev/null; end=$(date +%s.%N)
du_seconds=$(echo "$end - $start" | bc -l)

export BRISOLA_SANDBOX="$sandbox" BRISOLA_DRIVES_SANDBOX="$root/build/sandbox-$arch/drives"
brisola_start_xvfb
trap 'brisola_use_prefix "$sandbox"; "$WINESERVER" -k >/dev/null 2>&1 || true; brisola_stop_xvfb' EXIT
(brisola_use_prefix "$sandbox"; "$WINESERVER" -p; brisola_warm_prefix)
results=$("$root/scripts/wine-exec" "$out/scan_bench.exe" 'C:\brisola-bench\tree' | tr -d '\r')
echo "$results"
echo "du_sb $du_seconds"
plain=$(awk '/^walk_without_display/ {print $2}' <<<"$results")
shown=$(awk '/^scan_with_display/ {print $2}' <<<"$results")
echo "ratio_display_vs_plain $(echo "$shown / $plain" | bc -l | cut -c1-6) (target <= 1.2)"
echo "ratio_scan_vs_du $(echo "$shown / $du_seconds" | bc -l | cut -c1-6) (target <= 3)"
