#!/bin/bash
# Configures and builds the program and its tests for one architecture.
#   scripts/build.sh [i686|x86_64] [TARGET...]   (default i686, the shipped
#                                                program; all targets)
# Output: build/<arch>/brisola.exe and the test programs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-i686}
shift || true
targets=()
for t in "$@"; do targets+=(--target "$t"); done
build="${BRISOLA_BUILD_ROOT:-$root/build}/$arch"
bash "$root/scripts/fetch-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
      -DBRISOLA_DEPS_DIR="${BRISOLA_BUILD_ROOT:-$root/build}/deps" \
      -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine-exec" -DBRISOLA_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)" "${targets[@]}" -- --no-print-directory
