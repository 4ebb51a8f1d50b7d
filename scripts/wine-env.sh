# Sourced by the scripts: Wine for one build tree, in the tree's own prefix,
# started once per run. A 32-bit tree (build/win, tamsa.spi) runs under 32-bit
# Wine in a win32 prefix, a 64-bit tree (build/win64, tamsa.sph) under 64-bit
# Wine in a win64 prefix; the tree's CMake cache says which (TAMSA_WINE_ARCH).
#
#   use_wine_tree DIR         selects DIR's Wine and its prefix DIR/wineprefix
#   start_wine_session [DIR]  selects DIR (default build/win), starts Xvfb once
#                             and the prefix's persistent wineserver; the first
#                             run initialises the prefix, which takes minutes
#                             where i386 code is emulated
#   stop_wine_session         ends every server started here, then Xvfb
#   wine PROGRAM ARGS...      runs a Windows program under the selected Wine
tamsa_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=,winemenubuilder.exe=d,winedbg.exe=d}
# Only the 32-bit Wine is emulated (where the kernel runs no i386 code); the
# 64-bit Wine always runs natively, and these reach only qemu.
export QEMU_CPU=${QEMU_CPU:-core2duo,-lm,-syscall}
# Where qemu runs the i386 code: without a reserved guest space its mmap is far faster.
export QEMU_RESERVED_VA=${QEMU_RESERVED_VA:-0}
# A script started by one that selected a tree inherits its Wine.
export TAMSA_WINE=${TAMSA_WINE:-wine}

# The 64-bit loader: Debian keeps it beside the 32-bit one, outside the PATH.
wine64_loader() {
  local candidate
  for candidate in /usr/lib/wine/wine64 "$(command -v wine64 2>/dev/null)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then
      echo "$candidate"
      return
    fi
  done
  echo wine  # a Wine whose one loader runs both kinds
}

use_wine_tree() {
  local tree arch
  tree=$(cd "$1" 2>/dev/null && pwd) || { echo "wine-env: no build folder $1" >&2; return 1; }
  arch=$(sed -n 's/^TAMSA_WINE_ARCH:INTERNAL=//p' "$tree/CMakeCache.txt" 2>/dev/null)
  case $arch in
    win32)
      export TAMSA_WINE=wine
      unset WINELOADER
      ;;
    win64)
      TAMSA_WINE=$(wine64_loader)
      # Wine starts the prefix's other 64-bit processes with the same loader.
      export TAMSA_WINE WINELOADER=$TAMSA_WINE
      ;;
    *)
      echo "wine-env: $tree is not a configured Windows build (no TAMSA_WINE_ARCH in its CMake cache)" >&2
      return 1
      ;;
  esac
  export WINEARCH=$arch WINEPREFIX=$tree/wineprefix
}

# "wine" in the scripts that source this file is the selected tree's Wine.
wine() { command "$TAMSA_WINE" "$@"; }

# Prefixes whose server this shell started, ended by stop_wine_session.
wine_session_prefixes=()

start_wine_session() {
  use_wine_tree "${1:-$tamsa_top/build/win}" || return 1
  if [ -z "${DISPLAY:-}" ]; then
    # Xvfb picks a free display and names it, so runs side by side never meet.
    local named
    named=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$named" >/dev/null 2>&1 &
    xvfb_pid=$!
    local _
    for _ in $(seq 100); do [ -s "$named" ] && break; sleep 0.1; done
    export DISPLAY=:$(head -n 1 "$named")
    rm -f "$named"
  fi
  if [ ! -f "$WINEPREFIX/.tamsa-ready" ]; then
    echo "== initialising the $WINEARCH Wine prefix $WINEPREFIX (slow the first time)"
    mkdir -p "$WINEPREFIX"
    wine wineboot.exe -i >/dev/null 2>&1 </dev/null
    wineserver -w
    bash "$tamsa_top/scripts/wine-fonts.sh" >/dev/null 2>&1 || true
    touch "$WINEPREFIX/.tamsa-ready"
  elif ! grep -qs "^#arch=$WINEARCH\$" "$WINEPREFIX/system.reg"; then
    echo "wine-env: $WINEPREFIX is not a $WINEARCH prefix; delete it to have it made anew" >&2
    return 1
  fi
  wineserver -p
  wine_session_prefixes+=("$WINEPREFIX")
  # A virtual desktop of 1024x768 for Wine's windows. Under the i386 emulator
  # the desktop process of the plain X11 desktop crashes at start, and every
  # window then waits about 2 seconds for it; the virtual desktop's process
  # runs, and the GUI tests take seconds instead of a minute. Kept in the
  # prefix's registry, so every later Wine process uses it too.
  if ! grep -qs '^"Desktop"="Default"' "$WINEPREFIX/user.reg"; then
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1 </dev/null
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1024x768 /f \
      >/dev/null 2>&1 </dev/null
  fi
  # Start the prefix's services now, with nowhere to write: a service started
  # by a test would hold the test's output pipes open after the test ended.
  wine wineboot.exe >/dev/null 2>&1 </dev/null
}

# Waits until Wine and Xvfb have really ended, so that nothing of the run
# still holds the build folder, /dev or a chroot's mounts afterwards.
stop_wine_session() {
  local prefix
  for prefix in "${wine_session_prefixes[@]}"; do
    WINEPREFIX=$prefix wineserver -k 2>/dev/null
    WINEPREFIX=$prefix wineserver -w 2>/dev/null
  done
  wine_session_prefixes=()
  if [ -n "${xvfb_pid:-}" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=
  fi
  return 0
}
