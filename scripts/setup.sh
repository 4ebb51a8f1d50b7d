#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine, as root.
# Idempotent: when everything is present it prints nothing and changes nothing.
set -euo pipefail

packages=(
  cmake ninja-build make g++ git pkg-config
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  wine wine32:i386
  xvfb x11-utils fonts-ipafont-gothic
  googletest libgtest-dev libbenchmark-dev
  libstb-dev
  clang libclang-rt-14-dev
)

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
elif [ -n "${need_update:-}" ]; then
  apt-get update -qq
fi
