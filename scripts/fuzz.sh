#!/usr/bin/env bash
# Runs every libFuzzer target for a while, two at a time, each from a scratch
# copy of its committed corpus (fuzz/corpus/<target>/) and, when
# ../shared/realsets is present, from seeds made of the real sets' files;
# builds the fuzz tree (build/fuzz) first if needed. Prints per target the
# runs done, the coverage at the start and the end, and the findings (crash,
# timeout, leak and out-of-memory files); exits non-zero when any target
# found something or failed to run.
#
#   scripts/fuzz.sh [SECONDS]        every target SECONDS long (default 60)
#   scripts/fuzz.sh --remake-corpus  write fuzz/corpus/ again: seeds of the sample
#                                    set as tools/make_samples writes it, and the
#                                    hand-made edge cases of fuzz/make_seeds.cpp
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

build=build/fuzz
targets=(cnf_fuzz convert_fuzz probe_fuzz palette_fuzz folder_search_fuzz doll_fuzz fkiss_fuzz archive_fuzz
  archive_set_fuzz album_fuzz)
parallel=2

build_tree() {
  command -v clang++ >/dev/null || bash scripts/setup.sh || return 1
  local log
  log=$(mktemp)
  if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DTAMSA_FUZZ=ON -DTAMSA_BENCH=ON >"$log" 2>&1 || { cat "$log"; rm -f "$log"; return 1; }
  fi
  if ! cmake --build "$build" -j "$parallel" >>"$log" 2>&1; then
    cat "$log"
    rm -f "$log"
    echo "fuzz: the build in $build failed" >&2
    return 1
  fi
  rm -f "$log"
}

remake_corpus() {
  local samples=$build/fuzz-samples
  rm -rf "$samples" fuzz/corpus
  "$build/fuzz/make_samples" "$samples" >/dev/null || return 1
  if ! diff -r "$samples/mira" samples/mira >/dev/null; then
    echo "fuzz: note: tools/make_samples no longer writes what samples/ holds" >&2
  fi
  "$build/fuzz/make_seeds" --edges fuzz/corpus "$samples/mira" "$samples/mira/loose" || return 1
  # The set held in an archive starts from the sample set's archives.
  mkdir -p fuzz/corpus/archive_set_fuzz
  cp "$samples/archives/mira.zip" "$samples/archives/mira.lzh" fuzz/corpus/archive_set_fuzz/
  for target in "${targets[@]}"; do
    printf '%-20s %4d seeds\n' "$target" "$(find "fuzz/corpus/$target" -type f | wc -l)"
  done
}

seconds=60
case ${1:-} in
  --remake-corpus)
    build_tree && remake_corpus
    exit
    ;;
  -h | --help)
    sed -n '2,14s/^# \{0,1\}//p' "$0"
    exit 0
    ;;
  '') ;;
  *)
    [[ $1 =~ ^[0-9]+$ ]] && [ "$1" -gt 0 ] || { echo "fuzz: SECONDS must be a positive number" >&2; exit 2; }
    seconds=$1
    ;;
esac

build_tree || exit 1
runs=$build/fuzz-runs
rm -rf "$runs"
mkdir -p "$runs"
realsets=$top/../shared/realsets
if [ -d "$realsets" ]; then
  "$build/fuzz/make_seeds" "$runs/realsets" "$realsets"/*/ || exit 1
  echo "fuzz: extra seeds from $(find "$realsets" -mindepth 1 -maxdepth 1 -type d | wc -l) real set(s)"
fi

# One target: a scratch corpus (what the run adds stays there), its log and findings.
run_target() {
  local target=$1 dir=$runs/$1
  mkdir -p "$dir/corpus" "$dir/findings"
  cp fuzz/corpus/"$target"/* "$dir/corpus/"
  local extra=()
  [ -d "$runs/realsets/$target" ] && extra=("$runs/realsets/$target")
  "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$dir/findings/" "$dir/corpus" "${extra[@]}" >"$dir/log" 2>&1
  echo $? >"$dir/status"
}

trap 'kill $(jobs -p) 2>/dev/null; exit 130' INT TERM
echo "fuzz: ${#targets[@]} targets, ${seconds} s each, $parallel at a time; logs in $runs/"
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n; done
  run_target "$target" &
done
wait

# The coverage libFuzzer printed on a line of its log ("cov: N ft: M").
coverage_of() { sed -n "s/.*$1.* cov: \([0-9]*\) ft: \([0-9]*\).*/cov \1 ft \2/p" "$2" | tail -n 1; }

failed=0
printf '%-20s %12s  %-20s %-20s %s\n' target runs "seeds" "end" findings
for target in "${targets[@]}"; do
  dir=$runs/$target
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log")
  findings=$(find "$dir/findings" -type f | wc -l)
  status=$(cat "$dir/status")
  printf '%-20s %12s  %-20s %-20s %s\n' "$target" "${executed:-?}" \
    "$(coverage_of INITED "$dir/log")" "$(coverage_of '' "$dir/log")" "$findings"
  find "$dir/findings" -type f -printf '    %p\n'
  if [ "$findings" -ne 0 ] || [ "$status" -ne 0 ]; then
    failed=1
    [ "$findings" -ne 0 ] || echo "    exited with $status; see $dir/log"
  fi
done
exit $failed
