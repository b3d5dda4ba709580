#!/bin/bash
# Draws the include graph between the subsystems from the #include lines
# and fails on a lower layer including a higher one or on a cycle.
#   scripts/check-layers.sh [--print]
# Layers, bottom to top: resources and fs, ui, the models (sweep jobs
# drives cookies settings browsers), the dialogs and views (files named *dialog* or
# *_view* in those folders), app and console. A folder's dialogs and views
# are one node of their own, "sweep:dialog". Known edges the
# restructuring has yet to remove are listed in scripts/layers-allowed.txt;
# they are left out of the checks, and any other offending edge fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
print=0
[ "${1:-}" = --print ] && print=1
cd "$root"
files=$(git ls-files --cached --others --exclude-standard -- fs ui sweep jobs drives cookies settings browsers app console resources |
        grep -E '\.(cpp|h|rc)$' || true)
allowed=$(grep -Ev '^[[:space:]]*(#|$)' scripts/layers-allowed.txt 2>/dev/null || true)
for f in $files; do
  [ -f "$f" ] && sed -n "s|^[[:space:]]*#[[:space:]]*include[[:space:]]*\"\\([^\"]*\\)\".*|$f \\1|p" "$f"
done | awk -v show="$print" -v allowed="$allowed" '
function layer(node) {
  if (index(node, ":")) return 3
  if (node == "resources" || node == "fs") return 0
  if (node == "ui") return 1
  if (node == "app" || node == "console") return 4
  return 2
}
# The node of a file: its folder, or folder:dialog for a dialog or view file.
function node_of(path,    parts, n, base) {
  n = split(path, parts, "/")
  if (n < 2) return (path == "resource.h" || path == "version.h") ? "resources" : ""
  if (!(parts[1] in subsystem)) return ""
  base = parts[n]
  if (parts[1] != "app" && parts[1] != "console" && parts[1] != "resources" && parts[1] != "ui" && (base ~ /dialog/ || base ~ /_view/)) return parts[1] ":dialog"
  return parts[1]
}
function visit(v,    w, k, cyc, i) {
  state[v] = 1
  stack[++depth] = v
  for (k = 1; k <= nout[v]; ++k) {
    w = out[v, k]
    if (state[w] == 1) {
      cyc = w
      for (i = depth; i >= 1 && stack[i] != w; --i) cyc = stack[i] " -> " cyc
      cycles[++ncycles] = w " -> " cyc
    } else if (!state[w]) visit(w)
  }
  --depth
  state[v] = 2
}
BEGIN {
  split("fs ui sweep jobs drives cookies settings browsers app console resources", list, " ")
  for (i in list) subsystem[list[i]] = 1
  n = split(allowed, lines, "\n")
  for (i = 1; i <= n; ++i) { gsub(/[[:space:]]+/, " ", lines[i]); sub(/^ /, "", lines[i]); sub(/ $/, "", lines[i]); allow[lines[i]] = 1 }
}
{
  from = node_of($1); to = node_of($2)
  if (from == "" || to == "" || from == to) next
  if (!((from, to) in seen)) {
    seen[from, to] = 1; edges[++nedges] = from " -> " to; count[from " -> " to] = 0
    nodes[from] = 1; nodes[to] = 1
  }
  ++count[from " -> " to]
  example[from " -> " to] = $1 " includes " $2
}
END {
  bad = 0
  for (e = 1; e <= nedges; ++e) {
    edge = edges[e]; split(edge, ft, " -> ")
    mark = ""
    if (edge in allow) { mark = "  (allowed for now)"; used[edge] = 1 }
    else {
      out[ft[1], ++nout[ft[1]]] = ft[2]
      if (layer(ft[1]) < layer(ft[2])) {
        printf "check-layers: %s goes up a layer (%s)\n", edge, example[edge] > "/dev/stderr"; bad = 1
      }
    }
    if (show) printf "%-28s %3d include(s)%s\n", edge, count[edge], mark
  }
  for (v in nodes) if (!state[v]) visit(v)
  for (c = 1; c <= ncycles; ++c) { printf "check-layers: cycle %s\n", cycles[c] > "/dev/stderr"; bad = 1 }
  for (a in allow) if (!(a in used)) printf "check-layers: %s is gone; remove it from scripts/layers-allowed.txt\n", a
  if (!bad) printf "check-layers: %d edges between subsystems, no new cycle or upward include\n", nedges
  exit bad
}'
