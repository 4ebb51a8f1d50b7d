#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine, as root.
# Idempotent: when everything is present it prints nothing and changes nothing.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/apt-install.sh"

packages=(
  cmake ninja-build make g++ git pkg-config file
  g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 fonts-wine qemu-user-static
  xvfb x11-utils x11-apps imagemagick fonts-morisawa-bizud-gothic locales
  googletest libgtest-dev libbenchmark-dev libstb-dev
  clang libclang-rt-14-dev
  liblhasa-dev zlib1g-dev libz-mingw-w64-dev dpkg-dev
)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  apt_install "${missing[@]}" || exit 1
elif [ -n "${need_update:-}" ]; then
  update_indexes
fi

# 32-bit Wine needs a kernel that runs i386 programs. Where it does not (IA-32
# emulation switched off), i386 programs are handed to qemu's user-mode
# emulator through binfmt_misc. Debian 13's emulator is used: it is a static
# program that runs here, and it starts Wine some thirty times faster than
# Debian 12's (whose qemu-user-static stays as the fallback).
binfmt=/proc/sys/fs/binfmt_misc
emulator=/opt/tamsa-qemu/qemu-i386
fetch_emulator() {
  local work mirror
  work=$(mktemp -d)
  # The Debian archive this machine's own sources use; without one, no fetch.
  mirror=$(apt-get indextargets --format '$(RELEASE) $(REPO_URI)' 'Created-By: Packages' 2>/dev/null |
    awk '$1 !~ /-(security|updates|backports)$/ { print $2; exit }')
  [ -n "$mirror" ] || { rm -rf "$work"; return 0; }
  echo "deb $mirror trixie main" >"$work/sources.list"
  mkdir -p "$work/lists/partial"
  local opts=(-o Dir::Etc::sourcelist="$work/sources.list" -o Dir::Etc::sourceparts=-
    -o Dir::State::Lists="$work/lists" -o APT::Architectures::=amd64 -o APT::Sandbox::User=root)
  if apt-get "${opts[@]}" update -qq >/dev/null 2>&1 &&
    (cd "$work" && apt-get "${opts[@]}" download -qq qemu-user >/dev/null 2>&1) &&
    dpkg -x "$work"/qemu-user_*.deb "$work/root" &&
    "$work/root/usr/bin/qemu-i386" --version >/dev/null 2>&1; then
    mkdir -p "$(dirname "$emulator")"
    cp "$work/root/usr/bin/qemu-i386" "$emulator"
  fi
  rm -rf "$work"
}
register_emulator() {
  local interpreter=$1
  [ -e $binfmt/qemu-i386 ] && echo -1 >$binfmt/qemu-i386
  printf '%s' ":qemu-i386:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$interpreter:F" >$binfmt/register
}
# The registration outlives the mount; a mount made here is undone below, so
# that nothing stays mounted inside a chroot's /proc.
mounted_here=
if [ ! -e $binfmt/register ] && mount -t binfmt_misc binfmt_misc $binfmt 2>/dev/null; then
  mounted_here=1
fi
if [ -e $binfmt/qemu-i386 ] || ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  [ -x $emulator ] || fetch_emulator
  wanted=/usr/bin/qemu-i386-static
  [ -x $emulator ] && wanted=$emulator
  if ! grep -qx "interpreter $wanted" $binfmt/qemu-i386 2>/dev/null; then
    echo "setup: running i386 programs through $wanted"
    register_emulator $wanted
  fi
  /lib/ld-linux.so.2 --version >/dev/null 2>&1 || { echo "setup: cannot run i386 programs" >&2; exit 1; }
fi
[ -n "$mounted_here" ] && umount $binfmt

# The double-byte tests run with code page 932 (ja_JP), the dialog tests also
# with 1252 (en_US).
for name in ja_JP en_US; do
  if ! locale -a 2>/dev/null | grep -qi "^$name\.utf8$"; then
    echo "setup: generating the $name.UTF-8 locale"
    sed -i "s/^# *\($name.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$name.UTF-8 UTF-8" /etc/locale.gen || echo "$name.UTF-8 UTF-8" >>/etc/locale.gen
    locale-gen >/dev/null
  fi
done

# The Windows trees build lhasa's library and minizip's ZIP reader from
# Debian's source packages (native trees link liblhasa-dev and zlib1g-dev but
# build minizip the same way). They are fetched with apt-get source, which
# checks the signed index as it fetches, into a folder outside the checkout.
sources_dir=/opt/tamsa-sources
# deb-src entries for the machine's own deb822 sources: the same URIs,
# suites, components and keys, written to a list of our own.
write_source_entries() {
  local out=$1 file
  : >"$out"
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    awk '
      function flush() { if (n && deb && !off) { for (i = 1; i <= n; i++) print block[i]; print "" }
                         n = 0; deb = 0; off = 0 }
      /^[ \t]*$/ { flush(); next }
      /^#/ { next }
      /^Types:/ { if ($0 ~ /[ \t]deb([ \t]|$)/) deb = 1; block[++n] = "Types: deb-src"; next }
      /^Enabled:[ \t]*no/ { off = 1 }
      { block[++n] = $0 }
      END { flush() }' "$file" >>"$out"
  done
}
# Fetches source package name and unpacks it as $sources_dir/name, unless a
# file it holds (marker) is already there.
fetch_source() {
  local name=$1 marker=$2
  [ -f "$sources_dir/$name/$marker" ] && return 0
  echo "setup: fetching the source of $name"
  local work
  work=$(mktemp -d)
  mkdir -p "$work/lists/partial" "$work/parts" "$work/unpack"
  write_source_entries "$work/parts/deb-src.sources"
  local opts=(-o Dir::Etc::sourcelist=/dev/null -o Dir::Etc::sourceparts="$work/parts"
    -o Dir::State::Lists="$work/lists" -o APT::Sandbox::User=root)
  apt-get "${opts[@]}" update -qq >"$work/log" 2>&1 || true
  # The newest version first; a suite whose pool lacks it (a mirror that
  # keeps the index but not the files) falls back to the next.
  local version fetched=
  for version in $(apt-cache "${opts[@]}" showsrc "$name" 2>/dev/null | sed -n 's/^Version: //p' |
    sort -urV); do
    if (cd "$work/unpack" && apt-get "${opts[@]}" source -qq "$name=$version" >>"$work/log" 2>&1); then
      fetched=1
      break
    fi
    rm -rf "${work:?}/unpack" && mkdir "$work/unpack"
  done
  if [ -z "$fetched" ]; then
    echo "setup: cannot fetch the source of $name; apt said:" >&2
    grep -E '^(E:|W:)' "$work/log" | tail -n 10 >&2
    rm -rf "$work"
    return 1
  fi
  local unpacked
  unpacked=$(find "$work/unpack" -mindepth 1 -maxdepth 1 -type d | head -n 1)
  mkdir -p "$sources_dir"
  rm -rf "${sources_dir:?}/$name"
  mv "$unpacked" "$sources_dir/$name"
  rm -rf "$work"
}
fetch_source lhasa lib/lha_reader.c
fetch_source zlib contrib/minizip/unzip.c
