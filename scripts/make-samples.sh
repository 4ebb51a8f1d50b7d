#!/usr/bin/env bash
# Regenerates the sample KiSS set in samples/ from tools/make_samples, a native
# program. Extra arguments go to the generator (e.g. --preview out/preview).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build/make-samples
mkdir -p "$build"
src=$here/tools/make_samples
g++ -std=c++17 -O2 -Wall -Wextra -I"$here" -isystem /usr/include/stb -o "$build/make_samples" \
  "$src/make_samples.cpp" "$src/doll_art.cpp" "$src/kiss_writer.cpp" "$src/archive_writer.cpp" \
  "$here/tests/support/kiss_files.cpp" -lz
cd "$here"
"$build/make_samples" samples "$@"
echo "make-samples: wrote samples/mira, samples/mira/loose and samples/archives (mira.zip, mira.lzh)"
