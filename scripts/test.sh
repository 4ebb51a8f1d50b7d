#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the native core tests
# under AddressSanitizer and UBSan, then the Windows tests twice, against the
# 32-bit tamsa.spi under 32-bit Wine and against the 64-bit tamsa.sph under
# 64-bit Wine (with a virtual X display for the dialog tests). Prints CTest's
# summaries.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

bash scripts/setup.sh || exit 1
source scripts/build-tree.sh

echo "== native build (sanitizers)"
build_tree build/native -DCMAKE_BUILD_TYPE=Debug -DTAMSA_SANITIZE=ON || exit 1

echo "== native build (thread sanitizer)"
build_tree build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMSA_THREAD_SANITIZE=ON || exit 1

echo "== native benchmarks and fuzzers (built, fuzzers run briefly as tests)"
CC=clang CXX=clang++ build_tree build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMSA_FUZZ=ON \
  -DTAMSA_BENCH=ON || exit 1

echo "== Windows build, 32-bit (tamsa.spi)"
build_tree build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release || exit 1
echo "== Windows build, 64-bit (tamsa.sph)"
build_tree build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release || exit 1

# Wine: a prefix of each build's own, one persistent server per prefix for the
# whole run, and one virtual display for the dialog.
source scripts/wine-env.sh
trap stop_wine_session EXIT

status=0
echo "== native tests"
ctest --test-dir build/native --output-on-failure || status=1
ctest --test-dir build/tsan --output-on-failure || status=1
ctest --test-dir build/fuzz --output-on-failure || status=1
# The Windows tests of one tree, under that tree's Wine.
windows_tests() {
  local tree=$1 what=$2
  echo "== Windows tests of $what"
  if start_wine_session "$tree"; then
    ctest --test-dir "$tree" --output-on-failure --timeout 3000 || status=1
  else
    echo "test: Wine for $tree did not start" >&2
    status=1
  fi
}
windows_tests build/win "tamsa.spi under 32-bit Wine"
windows_tests build/win64 "tamsa.sph under 64-bit Wine"
exit $status
