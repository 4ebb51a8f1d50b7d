# Sourced by setup.sh: installs Debian packages from the machine's own apt
# sources, surviving one broken source.
#
#   apt_install PACKAGE...
# The index update is tried a few times; a source that still fails is left as
# it is and the indexes that did download are used. When the install then
# cannot resolve (typically a multi-arch package whose i386 index of one suite
# is missing while its amd64 index is there, so the two architectures would
# come in two versions), it is tried once more with the failed suites left out
# for this run. Only when the packages cannot be had at all does it fail.

# Suites whose index failed in the last update, e.g. "bookworm-security".
failed_suites=()

# The suite named by apt's "Failed to fetch URL" and "Err:N URI SUITE/..." lines.
failed_suites_in() {
  sed -n -E 's#.*Failed to fetch [^ ]*/dists/([^/ ]+)/.*#\1#p; s#^Err:[0-9]+ [^ ]+ ([^/ ]+)(/| ).*#\1#p' "$1" |
    sort -u
}

update_indexes() {
  local log try
  log=$(mktemp)
  for try in 1 2 3; do
    # A source that cannot be reached is only a warning to apt; count it too.
    # A source that does not answer is given up after half a minute, not two.
    if apt-get -o Acquire::http::Timeout=30 -o Acquire::https::Timeout=30 update >"$log" 2>&1 &&
      ! grep -q '^W: Failed to fetch' "$log"; then
      failed_suites=()
      rm -f "$log"
      return 0
    fi
    [ "$try" -lt 3 ] && sleep $((5 * try))
  done
  mapfile -t failed_suites < <(failed_suites_in "$log")
  rm -f "$log"
  echo "setup: the package index of ${failed_suites[*]:-one source} did not download after 3 tries; going on with the indexes that did"
}

# Writes the machine's sources without the given suites into folder, as a
# sources.list and a sources.list.d of its own.
write_sources_without() {
  local folder=$1
  shift
  mkdir -p "$folder/parts"
  local drop=" $* "
  local list=/etc/apt/sources.list
  if [ -f "$list" ]; then
    # One-line form: "deb [options] URI SUITE COMPONENT...".
    awk -v drop="$drop" '{ line = $0; sub(/\[[^]]*\]/, "", line); split(line, f, " ")
      if ((f[1] == "deb" || f[1] == "deb-src") && index(drop, " " f[3] " ")) next; print }' \
      "$list" >"$folder/sources.list"
  else
    : >"$folder/sources.list"
  fi
  local file
  for file in /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    case $file in
      *.list)
        awk -v drop="$drop" '{ line = $0; sub(/\[[^]]*\]/, "", line); split(line, f, " ")
          if ((f[1] == "deb" || f[1] == "deb-src") && index(drop, " " f[3] " ")) next; print }' \
          "$file" >"$folder/parts/$(basename "$file")"
        ;;
      *.sources)
        # deb822 form: the suites leave the Suites field; a stanza left
        # without any suite is switched off.
        awk -v drop="$drop" '
          function flush() { if (n) { for (i = 1; i <= n; i++) print block[i]
                                      if (empty) print "Enabled: no"; print "" }; n = 0; empty = 0 }
          /^[ \t]*$/ { flush(); next }
          /^Suites:/ { kept = ""; for (i = 2; i <= NF; i++) if (!index(drop, " " $i " ")) kept = kept " " $i
                       if (kept == "") { empty = 1; kept = " none" }; block[++n] = "Suites:" kept; next }
          /^Enabled:/ { if (empty) next }
          { block[++n] = $0 }
          END { flush() }' "$file" >"$folder/parts/$(basename "$file")"
        ;;
    esac
  done
}

apt_install() {
  export DEBIAN_FRONTEND=noninteractive
  update_indexes
  local log
  log=$(mktemp)
  if apt-get install -y -qq --no-install-recommends "$@" >"$log" 2>&1; then
    rm -f "$log"
    return 0
  fi
  if [ ${#failed_suites[@]} -gt 0 ]; then
    echo "setup: installing with ${failed_suites[*]} left out for this run, so every architecture comes from the same suite"
    local sources
    sources=$(mktemp -d)
    write_sources_without "$sources" "${failed_suites[@]}"
    local opts=(-o Dir::Etc::sourcelist="$sources/sources.list" -o Dir::Etc::sourceparts="$sources/parts")
    if apt-get "${opts[@]}" install -y -qq --no-install-recommends "$@" >"$log" 2>&1; then
      rm -rf "$sources" "$log"
      return 0
    fi
    rm -rf "$sources"
  fi
  echo "setup: cannot install $* from this machine's apt sources; apt said:" >&2
  grep -E '^(E:|W:| )' "$log" | tail -n 15 >&2
  rm -f "$log"
  return 1
}
