# Sourced by the scripts: Wine in the build's own prefix, started once per run.
# start_wine_session starts Xvfb and a persistent wineserver (the first run
# initialises the prefix, which takes minutes where i386 code is emulated);
# stop_wine_session ends both.
export WINEPREFIX=${WINEPREFIX:-$top/build/win/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=,winemenubuilder.exe=d,winedbg.exe=d}
export QEMU_CPU=${QEMU_CPU:-core2duo,-lm,-syscall}
# Where qemu runs the i386 code: without a reserved guest space its mmap is far faster.
export QEMU_RESERVED_VA=${QEMU_RESERVED_VA:-0}

start_wine_session() {
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
    echo "== initialising the Wine prefix $WINEPREFIX (slow the first time)"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
    bash "$top/scripts/wine-fonts.sh" >/dev/null 2>&1 || true
    touch "$WINEPREFIX/.tamsa-ready"
  fi
  wineserver -p
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
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  if [ -n "${xvfb_pid:-}" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  return 0
}
