#!/usr/bin/env bash
# Unpacks the real KiSS set archives beside the project (../shared/realarchives,
# when present) into DEST, one folder per archive, for the tests that open
# their sets and for the comparison with another viewer. LZH through lha
# (Debian's lhasa), ZIP through unzip. An archive that cannot be unpacked is
# named and left out; the folders of the others stay.
#
#   scripts/unpack-realarchives.sh DEST
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
source=${TAMSA_REALARCHIVES:-$top/../shared/realarchives}
dest=${1:?usage: unpack-realarchives.sh DEST}
rm -rf "$dest"
mkdir -p "$dest"
[ -d "$source" ] || { echo "unpack: no archives at $source"; exit 0; }
for tool in lha unzip; do
  command -v $tool >/dev/null || { echo "unpack: needs $tool (scripts/setup.sh installs it)" >&2; exit 1; }
done
for archive in "$source"/*; do
  name=$(basename "$archive")
  folder="$dest/${name%.*}"
  case ${name,,} in
    *.lzh | *.lha) unpack=(lha xqf "$(readlink -f "$archive")") ;;
    *.zip) unpack=(unzip -qqo "$(readlink -f "$archive")") ;;
    *) continue ;;
  esac
  mkdir -p "$folder"
  if ! (cd "$folder" && "${unpack[@]}" >/dev/null 2>&1) || [ -z "$(ls -A "$folder")" ]; then
    echo "unpack: $name cannot be unpacked; left out"
    rm -rf "$folder"
  fi
done
exit 0
