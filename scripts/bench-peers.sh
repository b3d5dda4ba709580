# Sourced by scripts/bench.sh for its "peers" and "memory" modes, with
# root, mode, runs, trees and the benchmark prefix's environment set.
#
# peers: whole processes under the same Wine, in one run: brisolac's clean
# and measure of the temp folder against what a user has (cmd's del /s /q,
# rd /s /q and dir /s /a), a plain DeleteFileW loop (Wine's floor) and
# cmd /c echo (the cost of starting any program). Each run times every
# tool once, in turn; every delete starts from a fresh copy of one tree.
# memory: the peak working set of a recorded clean of a large tree.

bin="$root/build/$BRISOLA_ARCH"
c="$WINEPREFIX/drive_c"
user=$(ls "$c/users" | grep -v '^Public$' | head -1)
temp="$c/users/$user/Temp"
wintemp="C:\\users\\$user\\Temp"
mkdir -p "$temp"

# make_flat_tree DIR FOLDERS FILES: FOLDERS folders of FILES empty files.
make_flat_tree() {
  local dir=$1
  [ -f "$dir.ready" ] && return 0
  rm -rf "$dir"
  python3 - "$dir" "$2" "$3" <<'PY'
import os, sys
root, folders, files = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
for d in range(folders):
    folder = os.path.join(root, "d%05d" % d)
    os.makedirs(folder)
    for f in range(files):
        open(os.path.join(folder, "f%04d.tmp" % f), "wb").close()
PY
  touch "$dir.ready"
}

# Empties the prefix's temp folder, then puts a copy of the tree there.
fresh_tree() {
  find "$temp" -mindepth 1 -delete
  [ -n "${1:-}" ] && cp -a "$1" "$temp/tree"
  return 0
}

"$WINESERVER" -p
trap '"$WINESERVER" -k >/dev/null 2>&1 || true' EXIT
brisola_warm_prefix

if [ "$mode" = memory ]; then
  folders=${1:-10000}; files=${2:-100}
  master="$trees/memory-$folders-$files"
  make_flat_tree "$master" "$folders" "$files"
  fresh_tree "$master"
  "$root/scripts/wine-exec" "$bin/bench/bench_peers.exe" --clean "$wintemp\\tree" | tr -d '\r'
  fresh_tree
  return 0
fi

master="$trees/peers-20000"
make_flat_tree "$master" 200 100
files=$(find "$master" -type f | wc -l)
folders=$(find "$master" -mindepth 1 -type d | wc -l)
exe() { "$root/scripts/wine-exec" "$@" >/dev/null 2>&1 </dev/null; }

# tool NAME: prepares the temp folder, runs the tool once; sets ms and left.
tool() {
  case $1 in
    echo|measure-empty) fresh_tree ;;
    measure|dir) [ -d "$temp/tree" ] || fresh_tree "$master" ;;
    *) fresh_tree "$master" ;;
  esac
  local start end
  start=$(date +%s%N)
  case $1 in
    echo) exe cmd /c echo ;;
    measure-empty|measure) exe "$bin/brisolac.exe" measure temp ;;
    dir) exe cmd /c dir /s /a "$wintemp\\tree" ;;
    clean) exe "$bin/brisolac.exe" clean temp --yes ;;
    del) exe cmd /c del /s /q "$wintemp\\tree\\*" ;;
    rd) exe cmd /c rd /s /q "$wintemp\\tree" ;;
    floor) exe "$bin/bench/bench_peers.exe" "$wintemp\\tree" ;;
  esac
  end=$(date +%s%N)
  ms=$(( (end - start) / 1000000 ))
  left=$(find "$temp" -type f | wc -l)
}

tools="echo measure-empty measure dir floor del clean rd"
results=$(mktemp)
echo "== $files empty files in $folders folders, $runs runs, whole processes under Wine"
for run in $(seq "$runs"); do
  for t in $tools; do
    tool "$t"
    echo "$run $t $ms $left" >>"$results"
    case $t in
      floor|del|clean|rd) [ "$left" = 0 ] || echo "run $run: $t left $left files" ;;
    esac
  done
done
fresh_tree

printf '%-14s %8s %8s %8s   %s\n' tool median min max 'paired ratio, median (min-max)'
awk -v tools="$tools" '
  function sorted_median(list, n,   i, j, t, a) {
    split(list, a, " ")
    for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
    lo = a[1]; hi = a[n]
    return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
  }
  { ms[$2, $1] = $3; if ($1 > runs) runs = $1 }
  END {
    n = split(tools, names, " ")
    for (k = 1; k <= n; k++) {
      t = names[k]; list = ""
      for (r = 1; r <= runs; r++) list = list " " ms[t, r]
      med[t] = sorted_median(list, runs); mn[t] = lo; mx[t] = hi
    }
    # What each row is set against, run by run.
    base["clean"] = "del"; base["floor"] = "del"; base["rd"] = "del"
    base["measure"] = "dir"
    for (k = 1; k <= n; k++) {
      t = names[k]; note = ""
      if (t in base) {
        list = ""
        for (r = 1; r <= runs; r++) list = list " " ms[t, r] / ms[base[t], r]
        m = sorted_median(list, runs)
        note = sprintf("%.2fx %s (%.2f-%.2f)", m, base[t], lo, hi)
      } else if (t == "measure-empty") {
        list = ""
        for (r = 1; r <= runs; r++) list = list " " ms[t, r] - ms["echo", r]
        m = sorted_median(list, runs)
        note = sprintf("%+d ms over echo (%+d to %+d)", m, lo, hi)
      }
      printf "%-14s %8d %8d %8d   %s\n", t, med[t], mn[t], mx[t], note
    }
  }' "$results"
rm -f "$results"
echo "ms per process; del leaves the folders, the others remove them; floor is a"
echo "DeleteFileW/RemoveDirectoryW loop with no checks; measure-empty is brisolac"
echo "measure temp on an empty temp folder"
