#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, in the build's own prefix.
# Used as CMake's cross-compiling emulator and by the scripts.
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/win/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec wine "$@"
