#!/usr/bin/env bash
# The speed of the plug-in as hosts see it: installs what is missing, builds
# both files and the benchmark, and runs plugin_bench against tamsa.spi under
# 32-bit Wine and tamsa.sph under 64-bit Wine, each printing its ratios, and
# set_bench (a set held in an archive against its unpacked folder) in each
# width; then the native benchmark of the decoding core.
#
#   scripts/bench.sh [--no-native]
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

native=1
[ "${1:-}" = --no-native ] && native=0

bash scripts/setup.sh || exit 1
source scripts/build-tree.sh
source scripts/wine-env.sh
trap stop_wine_session EXIT

status=0
for bits in 32 64; do
  if [ $bits -eq 32 ]; then
    tree=build/win toolchain=cmake/mingw-i686.cmake
  else
    tree=build/win64 toolchain=cmake/mingw-x86_64.cmake
  fi
  echo "== $bits-bit build (the plug-ins, plugin_bench, set_bench and album_bench)"
  build_tree $tree -DCMAKE_TOOLCHAIN_FILE=$toolchain -DCMAKE_BUILD_TYPE=Release \
    --target tamsa_spi plugin_bench set_bench album_bench || exit 1
  start_wine_session $tree >/dev/null || { echo "bench: Wine for $tree did not start" >&2; exit 1; }
  echo "== $bits-bit plug-in under $bits-bit Wine"
  # Written to a file: a Wine service the program starts could hold a pipe open.
  log=$(mktemp)
  scripts/wine-run.sh $tree/bench/plugin_bench.exe >"$log" 2>&1 || status=1
  grep -v -e '^qemu-i386-static: warning' -e '^wine: ' "$log"
  grep -q 'All goals met' "$log" || status=1
  echo "== $bits-bit: a set held in an archive against its unpacked folder"
  scripts/wine-run.sh $tree/bench/set_bench.exe >"$log" 2>&1 || status=1
  grep -v -e '^qemu-i386-static: warning' -e '^wine: ' "$log"
  echo "== $bits-bit album plug-in under $bits-bit Wine"
  scripts/wine-run.sh $tree/bench/album_bench.exe >"$log" 2>&1 || status=1
  grep -v -e '^qemu-i386-static: warning' -e '^wine: ' "$log"
  rm -f "$log"
done

if [ $native -eq 1 ]; then
  echo "== native benchmark of the decoding core"
  CC=clang CXX=clang++ build_tree build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMSA_FUZZ=ON \
    -DTAMSA_BENCH=ON --target decode_bench || exit 1
  build/fuzz/bench/decode_bench --benchmark_min_time=0.2
fi
exit $status
