#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, in the build's own prefix.
# Used as CMake's cross-compiling emulator and by the scripts.
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/wine-env.sh"
exec wine "$@"
