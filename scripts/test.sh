#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the native core tests
# under AddressSanitizer and UBSan, then the Windows tests under Wine (with a
# virtual X display for the dialog tests). Prints CTest's summaries.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

bash scripts/setup.sh || exit 1
jobs=$(nproc)

echo "== native build (sanitizers)"
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAMSA_SANITIZE=ON >/dev/null &&
  cmake --build build/native -j "$jobs" | tail -n 1 || exit 1

echo "== native benchmarks and fuzzers (built, fuzzers run briefly as tests)"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAMSA_FUZZ=ON -DTAMSA_BENCH=ON >/dev/null &&
  cmake --build build/fuzz -j "$jobs" | tail -n 1 || exit 1

echo "== Windows build"
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  -DCMAKE_BUILD_TYPE=Release >/dev/null &&
  cmake --build build/win -j "$jobs" | tail -n 1 || exit 1

# Wine: a prefix of the build's own, one persistent server for the whole run,
# and a virtual display for the dialog.
source scripts/wine-env.sh
start_wine_session || exit 1
trap stop_wine_session EXIT

status=0
echo "== native tests"
ctest --test-dir build/native --output-on-failure || status=1
ctest --test-dir build/fuzz --output-on-failure || status=1
echo "== Windows tests under Wine"
ctest --test-dir build/win --output-on-failure --timeout 3000 || status=1
exit $status
