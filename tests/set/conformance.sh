#!/usr/bin/env bash
# The album plug-in through a conformance tester that nobody here wrote
# (../shared/hosts/, its README): its -t mode over the sample set as both
# archives and through its configuration must end without a remark, and its
# extraction (-e) must write the members, the page a BMP file (set_tests
# holds every member's bytes to tamsa's and tamsadoll's pictures). Skips (77)
# when the tester is absent.
#
#   conformance.sh BUILD-DIR PLUGIN SAMPLES
set -uo pipefail
tree=$1 plugin=$2 samples=$3
top=$(cd "$(dirname "$0")/../.." && pwd)
hosts=$top/../shared/hosts
tester=$hosts/runspi.exe
[[ $plugin == *.sph ]] && tester=$hosts/runsph.exe
[ -f "$tester" ] || { echo "no tester at $tester"; exit 77; }
command -v script >/dev/null || { echo "no script(1) to give the tester a console"; exit 77; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$tester" "$scratch/tester.exe"
# The tester writes to a console only; its text is code page 932.
run_tester() {
  script -q -c "$(printf '%q ' "$top/scripts/wine-run.sh" --tree "$tree" "$scratch/tester.exe" "$@")" \
    /dev/null </dev/null | iconv -f cp932 -t utf-8 -c | tr -d '\r' | sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g'
}

status=0
for source in archives/mira.zip archives/mira.lzh mira/mira.cnf; do
  log=$(run_tester "$plugin" "$samples/$source" -t)
  if ! grep -q '^End test\.' <<<"$log"; then
    echo "FAIL $source: the tester's -t run did not end"; status=1
  elif grep -q '●' <<<"$log"; then
    echo "FAIL $source: the tester remarks:"; grep '●' <<<"$log"; status=1
  elif ! grep -q 'All match' <<<"$log" || grep -qi 'not match\|mismatch' <<<"$log"; then
    echo "FAIL $source: lists or members differ"; status=1
  else
    echo "ok   $source: -t ended without a remark"
  fi

  out=$scratch/extracted-${source//\//-}
  mkdir -p "$out"
  run_tester "$plugin" "$samples/$source" -e "Z:$out" >/dev/null
  count=$(find "$out" -type f | wc -l)
  if [ "$count" -lt 6 ] || [ ! -f "$out/!mira.set0.bmp" ] || [ ! -f "$out/body.bmp" ]; then
    echo "FAIL $source: -e wrote $count files"; status=1
  elif [ "$(head -c 2 "$out/!mira.set0.bmp")" != BM ]; then
    echo "FAIL $source: the page is no BMP file"; status=1
  else
    echo "ok   $source: -e wrote $count members"
  fi
done
exit $status
