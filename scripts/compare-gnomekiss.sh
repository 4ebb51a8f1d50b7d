#!/usr/bin/env bash
# Compares the doll plug-in's pages with the opening view of GnomeKiss, an
# independent KiSS viewer (Debian's gnomekiss, a reference tool: not part of
# the project's setup), pixel for pixel.
#
#   scripts/compare-gnomekiss.sh [--tree BUILD-DIR] [CNF...]
#
# Without CNF: every configuration of ../shared/realsets and of the archives
# in ../shared/realarchives, unpacked first. Every page that spihost writes
# through tamsadoll (BUILD-DIR, default build/win) is rendered by
# ../shared/tools/gnomekiss-render.sh and compared with ImageMagick's
# "compare -metric AE"; the pictures and their difference go to
# out/gnomekiss/. One line per page: the differing pixels of all.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top" || exit 1
tree=build/win
if [ "${1:-}" = --tree ]; then
  tree=$2
  shift 2
fi
render=${GNOMEKISS_RENDER:-$top/../shared/tools/gnomekiss-render.sh}
for tool in gnomekiss compare convert; do
  command -v $tool >/dev/null || { echo "compare: needs $tool (apt-get install gnomekiss xdotool)" >&2; exit 1; }
done
spihost=$tree/tools/spihost/spihost.exe
[ -f "$spihost" ] || { echo "compare: no $spihost; build the tree's spihost and tamsadoll_spi first" >&2; exit 1; }

out=$top/out/gnomekiss
rm -rf "$out"
mkdir -p "$out"
configs=("$@")
if [ ${#configs[@]} -eq 0 ]; then
  bash scripts/unpack-realarchives.sh "$out/archives" >/dev/null
  while IFS= read -r cnf; do configs+=("$cnf"); done < <(
    find "$top/../shared/realsets" "$out/archives" -iname '*.cnf' 2>/dev/null | sort)
fi

status=0
printf '%-48s %-4s %10s %10s\n' configuration page differing pixels
for cnf in "${configs[@]}"; do
  cnf=$(readlink -f "$cnf")
  # The set's folder and the one above it tell a set from its archive's copy.
  set=$(basename "$(dirname "$(dirname "$cnf")")")/$(basename "$(dirname "$cnf")")
  label=$set/$(basename "$cnf")
  folder=$out/$set
  mkdir -p "$folder"
  stem=$(basename "${cnf%.*}")
  if ! scripts/wine-run.sh "$spihost" --doll --out "Z:$folder" "Z:$cnf" >"$folder/$stem.spihost.log" 2>&1; then
    echo "compare: spihost failed on $cnf (see $folder/$stem.spihost.log)" >&2
    status=1
  fi
  for ours in "$folder/$stem".set[0-9].png; do
    [ -f "$ours" ] || continue
    page=${ours%.png}
    page=${page##*.set}
    theirs=$folder/$stem.gnomekiss$page.png
    if ! "$render" "$cnf" "$theirs" "$page" >"$folder/$stem.gnomekiss$page.log" 2>&1; then
      printf '%-48s %-4s %10s %10s\n' "$label" "$page" "-" "(GnomeKiss: $(tail -1 "$folder/$stem.gnomekiss$page.log" | cut -c1-60))"
      continue
    fi
    pixels=$(identify -format '%[fx:w*h]' "$ours")
    differing=$(compare -metric AE "$ours" "$theirs" "$folder/$stem.diff$page.png" 2>&1 >/dev/null)
    printf '%-48s %-4s %10s %10s\n' "$label" "$page" "$differing" "$pixels"
  done
done
exit $status
