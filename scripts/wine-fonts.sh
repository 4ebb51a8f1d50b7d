#!/usr/bin/env bash
# Gives the Wine prefix the fonts the settings dialog is drawn with on Windows.
# - "MS Gothic", the dialog's font, becomes BIZ UDGothic: at the dialog's 10
#   points (13 pixels) its characters are 13 pixels wide, its Latin ones 7 and
#   its lines 13 high, as MS Gothic's, so every label fits as laid out. The
#   proportional "MS UI Gothic" becomes BIZ UDPGothic.
# - Wine's own fonts from fonts-wine (Marlett draws the caption's close box)
#   are linked into the prefix's Fonts folder, the one place Debian's Wine
#   finds them: the path it makes of its data folder ("...\share\wine\../fonts")
#   does not open.
# Idempotent; does nothing when the prefix has both already.
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/wine-env.sh"

# The first Wine call here makes the prefix, when there is none yet.
if ! grep -qs '^"MS UI Gothic"="BIZ UDPGothic"' "$WINEPREFIX/user.reg"; then
  replace() {
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$1" /t REG_SZ /d "$2" /f </dev/null ||
      exit 1
  }
  replace "MS Gothic" "BIZ UDGothic"
  replace "ＭＳ ゴシック" "BIZ UDGothic"
  replace "MS UI Gothic" "BIZ UDPGothic"
fi

wine_fonts=/usr/share/wine/fonts
prefix_fonts=$WINEPREFIX/drive_c/windows/Fonts
[ -d "$wine_fonts" ] || { echo "wine-fonts: $wine_fonts is missing (fonts-wine)" >&2; exit 1; }
for font in "$wine_fonts"/*; do
  [ -e "$prefix_fonts/${font##*/}" ] || ln -s "$font" "$prefix_fonts/" || exit 1
done
