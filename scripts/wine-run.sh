#!/usr/bin/env bash
# Runs a Windows program of a build under that build's Wine, in its own prefix.
# Used as CMake's cross-compiling emulator (which names the tree) and by the
# scripts and by hand (the tree is then the build folder holding the program).
#
#   scripts/wine-run.sh [--tree BUILD-DIR] PROGRAM [ARGS...]
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/wine-env.sh"

tree=
if [ "${1:-}" = --tree ]; then
  tree=$2
  shift 2
else
  # The nearest folder above the program that holds a CMake cache.
  folder=$(dirname "${1:-.}")
  while [ "$folder" != / ] && [ "$folder" != . ] && [ ! -f "$folder/CMakeCache.txt" ]; do
    folder=$(dirname "$folder")
  done
  [ -f "$folder/CMakeCache.txt" ] && tree=$folder
fi
if [ -n "$tree" ]; then
  use_wine_tree "$tree" || exit 1
elif [ -z "${WINEPREFIX:-}" ]; then
  use_wine_tree "$top/build/win" || exit 1
fi
exec "$TAMSA_WINE" "$@"
