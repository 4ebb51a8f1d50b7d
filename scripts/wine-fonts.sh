#!/usr/bin/env bash
# Maps the dialog's "MS Gothic" to the installed IPA Gothic in the Wine prefix,
# so Japanese texts render.
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/wine-env.sh"
for name in "MS Gothic" "ＭＳ ゴシック" "MS UI Gothic"; do
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$name" /t REG_SZ /d "IPAGothic" /f
done
