# Sourced by the scripts: configures and builds one tree quietly; a failing
# step shows its whole output.
#
#   build_tree DIR [CMAKE-ARGUMENT...] [--target TARGET...]
# Arguments after --target name what to build (default: everything).
build_tree() {
  local dir=$1
  shift
  local configure=() targets=()
  while [ $# -gt 0 ] && [ "$1" != --target ]; do
    configure+=("$1")
    shift
  done
  [ $# -gt 0 ] && shift && targets=(--target "$@")
  local log
  log=$(mktemp)
  if cmake -S . -B "$dir" -G Ninja --no-warn-unused-cli "${configure[@]}" >"$log" 2>&1 &&
    cmake --build "$dir" -j "$(nproc)" "${targets[@]}" >>"$log" 2>&1; then
    tail -n 1 "$log"
    rm -f "$log"
    return 0
  fi
  cat "$log"
  rm -f "$log"
  echo "build: the build in $dir failed" >&2
  return 1
}
