#!/usr/bin/env bash
# Photographs the settings dialog as a user sees it: tools/showdialog opens it
# through tamsa.spi under Wine, on a virtual X display of this script's own,
# in a Japanese locale, with the fonts of scripts/wine-fonts.sh (a stand-in of
# MS Gothic's widths, and Wine's own Marlett for the close box); the dialog's
# rectangle is cut from the screen and saved as a PNG.
#
#   scripts/dialog-screenshot.sh [BUILD-DIR] [OUTPUT]
# BUILD-DIR defaults to build/win (needs the tamsa_spi and showdialog
# targets; build/win64 shows tamsa.sph under 64-bit Wine), OUTPUT to
# docs/dialog.png.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build/win}" && pwd)
out=${2:-$top/docs/dialog.png}
source "$top/scripts/wine-env.sh"
use_wine_tree "$build" || exit 1

plugin=$build/plugin/tamsa.spi
[ "$WINEARCH" = win64 ] && plugin=$build/plugin/tamsa.sph
host=$build/tools/showdialog/showdialog.exe
for file in "$plugin" "$host"; do
  [ -f "$file" ] || { echo "dialog-screenshot: $file is missing; build it first" >&2; exit 1; }
done
command -v import >/dev/null || { echo "dialog-screenshot: ImageMagick's import is missing (scripts/setup.sh)" >&2; exit 1; }

work=$(mktemp -d)
xvfb_pid=
host_pid=
finish() {
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT

# A true-colour display of our own; Xvfb names the display it took.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "dialog-screenshot: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n 1 "$work/display")

# Without a stand-in for "MS Gothic" the labels would be cut short or drawn
# in a font without Japanese, and without Marlett the close box shows an "r".
bash "$top/scripts/wine-fonts.sh" >/dev/null 2>&1 ||
  { echo "dialog-screenshot: cannot set up the fonts in $WINEPREFIX" >&2; exit 1; }
# No window manager runs here: Wine draws the caption and frame itself.
if ! grep -qs '^"Decorated"="N"' "$WINEPREFIX/user.reg"; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
fi

# The dialog's own texts show under any code page; the caption is drawn as on
# a Japanese system, for which the dialog is written (Wine's caption font of a
# Western one has no Japanese).
LC_ALL=ja_JP.UTF-8 wine "$host" "Z:$plugin" "Z:$work/done" 900 >"$work/shown" 2>"$work/errors" &
host_pid=$!
for _ in $(seq 9000); do
  grep -q '^shown' "$work/shown" && break
  kill -0 "$host_pid" 2>/dev/null || break
  sleep 0.1
done
if ! grep -q '^shown' "$work/shown"; then
  echo "dialog-screenshot: the dialog did not appear" >&2
  cat "$work/errors" >&2
  exit 1
fi
read -r _ x y width height < <(grep '^shown' "$work/shown" | tr -d '\r')
sleep 1  # let the last paint reach the X server
mkdir -p "$(dirname "$out")"
import -display "$DISPLAY" -window root -crop "${width}x${height}+${x}+${y}" +repage "$out"
touch "$work/done"
wait "$host_pid" || true
host_pid=
echo "dialog-screenshot: ${width}x${height} dialog saved to $out"
