#!/bin/bash
# Benchmarks the program's folder walk against du -sb on the same trees in
# the same run, and prints medians and ratios.
#   scripts/bench.sh [RUNS]          (default 5 runs per walker)
#   scripts/bench.sh delete [FOLDERS FILES]   the link-safe delete against rm -rf,
#                             5 runs each with empty and with 512-byte files
#   scripts/bench.sh scan     the disk scan with and without its display,
#                             against du -sb, and the found-files view
#   scripts/bench.sh categories [RUNS]   the start-up measurement of every
#                             category on the prefix's empty profile
#   scripts/bench.sh preview [RUNS]   the preview dialog of a 100,000-file
#                             temp folder: walk, open, close, bytes per file
#   scripts/bench.sh browsers [RUNS]  the browser rows' clean of a 100,000-
#                             cookie and a 100,000-page History database
#                             against Debian's sqlite3 shell running the
#                             same statements on a copy; peak memory; the
#                             measurement of the four rows
#   scripts/bench.sh peers [RUNS]   brisolac's clean and measure against
#                             what a user has (del /s /q, rd /s /q, dir /s /a)
#                             as whole processes, each delete on a fresh copy
#                             of one tree; default 5 runs
#   scripts/bench.sh memory [FOLDERS FILES]   the peak memory of a recorded
#                             clean (default 10,000 folders x 100 files)
# The trees are generated once inside the benchmark's own sandboxed Wine
# prefix (build/sandbox-<arch>/bench), never in the test prefixes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=walk
case "${1:-}" in delete|scan|categories|preview|browsers|peers|memory) mode=$1; shift ;; esac
runs=5
case "${1:-}" in [0-9]*) [ "$mode" = delete ] || [ "$mode" = memory ] || { runs=$1; shift; } ;; esac
bash "$root/scripts/setup.sh" >/dev/null
source "$root/scripts/wine-env.sh"
brisola_pick_arch
bash "$root/scripts/build.sh" "$BRISOLA_ARCH" >/dev/null
exe="$root/build/$BRISOLA_ARCH/bench/bench_walk.exe"

sandbox="$root/build/sandbox-$BRISOLA_ARCH/bench"
brisola_make_prefix "$sandbox"
export BRISOLA_SANDBOX="$sandbox"
brisola_use_prefix "$sandbox"
trees="$WINEPREFIX/drive_c/bench-trees"

if [ "$mode" = delete ]; then
  "$WINESERVER" -p
  trap '"$WINESERVER" -k >/dev/null 2>&1 || true' EXIT
  brisola_warm_prefix
  # Empty files, then 512-byte files: the check costs the same, the
  # deletion itself more.
  for size in 0 512; do
    "$root/scripts/wine-exec" "$root/build/$BRISOLA_ARCH/bench/bench_delete.exe" "${1:-200}" "${2:-100}" "$size" "$runs" |
      tr -d '\r'
  done
  exit 0
fi

if [ "$mode" = browsers ]; then
  work="$root/build/bench-browsers"
  mkdir -p "$work"
  if [ ! -f "$work/ready-2" ]; then
    python3 "$root/bench/make_browser_dbs.py" "$work"
    touch "$work/ready-2"
  fi
  local_dir=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local 2>/dev/null | grep -v /Public/ | head -1)
  [ -n "$local_dir" ] || { echo "bench: no local application data in the prefix" >&2; exit 1; }
  profile="$local_dir/Google/Chrome/User Data/Default"
  mkdir -p "$profile/Network"
  cp "$work/Local State" "$profile/../Local State"
  cp "$work/Bookmarks" "$profile/Bookmarks"
  echo '{}' >"$profile/Preferences"
  "$WINESERVER" -p
  trap '"$WINESERVER" -k >/dev/null 2>&1 || true' EXIT
  brisola_warm_prefix
  exe="$root/build/$BRISOLA_ARCH/bench/bench_browsers.exe"
  cp "$work/keep.txt" "$WINEPREFIX/drive_c/keep.txt"
  : >"$work/times"
  for run in $(seq 1 "$runs"); do
    cp "$work/Cookies" "$profile/Network/Cookies"
    cp "$work/History" "$profile/History"
    out=$("$root/scripts/wine-exec" "$exe" cookies 'C:\keep.txt' | tr -d '\r')
    echo "ours_cookies $(awk '{print $2}' <<<"$out") $(awk '{print $4}' <<<"$out")" >>"$work/times"
    out=$("$root/scripts/wine-exec" "$exe" history | tr -d '\r')
    echo "ours_history $(awk '{print $2}' <<<"$out") $(awk '{print $4}' <<<"$out")" >>"$work/times"
    cp "$work/Cookies" "$profile/Network/Cookies"
    cp "$work/History" "$profile/History"
    out=$("$root/scripts/wine-exec" "$exe" measure 'C:\keep.txt' | tr -d '\r')
    echo "$out" | grep -v '^measure_all' >&2
    echo "measure $(awk '/^measure_all_ms/ {print $2 / 1000}' <<<"$out") $(awk '/^measure_all_ms/ {print $4}' <<<"$out")" >>"$work/times"
    for db in Cookies History; do
      cp "$work/$db" "$work/copy.db"
      name=$(tr 'A-Z' 'a-z' <<<"$db")
      start=$(date +%s%N); sqlite3 "$work/copy.db" <"$work/$name.sql" >/dev/null; end=$(date +%s%N)
      echo "native_$name $(awk -v a="$start" -v b="$end" 'BEGIN {printf "%.4f", (b - a) / 1e9}') 0" >>"$work/times"
    done
  done
  # The other benchmarks measure an empty profile.
  rm -rf "$local_dir/Google"
  python3 - "$work/times" <<'PY'
import statistics, sys
times, peaks = {}, {}
for line in open(sys.argv[1]):
    name, seconds, peak = line.split()
    times.setdefault(name, []).append(float(seconds))
    peaks[name] = max(peaks.get(name, 0.0), float(peak))
for kind in ("cookies", "history"):
    ours, native = times["ours_" + kind], times["native_" + kind]
    mo, mn = statistics.median(ours), statistics.median(native)
    print("%-8s ours %.3f s (%.3f-%.3f)  sqlite3 %.3f s (%.3f-%.3f)  ratio %.2f  peak %.1f MB"
          % (kind, mo, min(ours), max(ours), mn, min(native), max(native), mo / mn if mn else 0, peaks["ours_" + kind]))
m = [t * 1000 for t in times["measure"]]
print("measure  four rows %.0f ms (%.0f-%.0f), target under 150 ms  peak %.1f MB"
      % (statistics.median(m), min(m), max(m), peaks["measure"]))
PY
  exit 0
fi

if [ "$mode" = peers ] || [ "$mode" = memory ]; then
  source "$root/scripts/bench-peers.sh"
  exit 0
fi

if [ "$mode" = categories ]; then
  "$WINESERVER" -p
  trap '"$WINESERVER" -k >/dev/null 2>&1 || true' EXIT
  brisola_warm_prefix
  "$root/scripts/wine-exec" "$root/build/$BRISOLA_ARCH/bench/bench_categories.exe" "${runs}" | tr -d '\r'
  exit 0
fi

if [ "$mode" = scan ]; then
  tree="$trees/scan"
  if [ ! -f "$tree.ready" ]; then
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
PY
    touch "$tree.ready"
  fi
  du -sb "$tree" >/dev/null
  start=$(date +%s%N); du -sb "$tree" >/dev/null; end=$(date +%s%N)
  du_seconds=$(awk -v a="$start" -v b="$end" 'BEGIN {printf "%.4f", (b - a) / 1e9}')
  brisola_start_xvfb
  "$WINESERVER" -p
  trap '"$WINESERVER" -k >/dev/null 2>&1 || true; brisola_stop_xvfb' EXIT
  brisola_warm_prefix
  results=$("$root/scripts/wine-exec" "$root/build/$BRISOLA_ARCH/bench/bench_scan.exe" 'C:\bench-trees\scan' | tr -d '\r')
  echo "$results"
  echo "du_sb $du_seconds"
  plain=$(awk '/^walk_without_display/ {print $2}' <<<"$results")
  shown=$(awk '/^scan_with_display/ {print $2}' <<<"$results")
  awk -v s="$shown" -v p="$plain" -v d="$du_seconds" 'BEGIN {
    printf "ratio_display_vs_plain %.2f (target <= 1.2)\n", s / p
    printf "ratio_scan_vs_du %.2f (target <= 3)\n", s / d }'
  exit 0
fi

# make_tree NAME TOP SUB FILES: TOP folders of SUB folders, FILES files in
# each of those, sizes 1..4096 bytes (sparse, so the trees stay small).
make_tree() {
  local dir="$trees/$1"
  [ -f "$dir.ready" ] && return 0
  rm -rf "$dir"
  python3 - "$dir" "$2" "$3" "$4" <<'PY'
import os, sys
root, top, sub, files = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
n = 0
for t in range(top):
    for s in range(sub):
        d = os.path.join(root, "t%03d" % t, "s%03d" % s)
        os.makedirs(d)
        for f in range(files):
            n += 1
            with open(os.path.join(d, "f%05d.tmp" % f), "wb") as out:
                out.truncate(n % 4096 + 1)
PY
  touch "$dir.ready"
}
make_tree wide 10 100 100      # 100,000 files in 1,010 folders
make_tree deep 100 100 10      # 100,000 files in 10,100 folders

if [ "$mode" = preview ]; then
  brisola_start_xvfb
  "$WINESERVER" -p
  trap '"$WINESERVER" -k >/dev/null 2>&1 || true; brisola_stop_xvfb' EXIT
  brisola_warm_prefix
  "$root/scripts/wine-exec" "$root/build/$BRISOLA_ARCH/bench/bench_preview.exe" 'C:\bench-trees\wide' "$runs" | tr -d '\r'
  exit 0
fi

# du -sb's median, min and max in milliseconds.
du_ms() {
  local dir=$1 i start end
  du -sb "$dir" >/dev/null
  for i in $(seq "$runs"); do
    start=$(date +%s%N); du -sb "$dir" >/dev/null; end=$(date +%s%N)
    echo $(( (end - start) / 1000 ))
  done | sort -n | awk '{a[NR]=$1} END {printf "%.1f %.1f %.1f", a[int((NR+1)/2)] / 1000, a[1] / 1000, a[NR] / 1000}'
}

"$WINESERVER" -p
trap '"$WINESERVER" -k >/dev/null 2>&1 || true' EXIT
for tree in wide deep; do
  dir="$trees/$tree"
  files=$(find "$dir" -type f | wc -l)
  folders=$(( $(find "$dir" -type d | wc -l) - 1 ))
  bytes=$(find "$dir" -type f -printf '%s\n' | awk '{s+=$1} END {print s}')
  read -r du du_min du_max <<<"$(du_ms "$dir")"
  echo "== $tree: $files files, $folders folders, $bytes bytes; du -sb ms: median ${du} (min ${du_min}, max ${du_max})"
  printf '%-10s %22s %7s  %s\n' walker 'ms median (min-max)' ratio figures
  "$root/scripts/wine-exec" "$exe" "C:\\bench-trees\\$tree" "$runs" | tr -d '\r' |
    while read -r name ms f d b lo hi; do
      check=ok
      [ "$f $d $b" = "$files $folders $bytes" ] || check="WRONG ($f $d $b)"
      printf '%-10s %22s %7s  %s\n' "$name" "$ms ($lo-$hi)" "$(awk -v a="$ms" -v b="$du" 'BEGIN {printf "%.2fx", a / b}')" "$check"
    done
done
