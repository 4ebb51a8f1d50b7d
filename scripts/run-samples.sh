#!/usr/bin/env bash
# The main job: installs what is missing, cross-builds tamsa.spi, the doll
# plug-in tamsadoll.spi and the host tool spihost, and under Wine converts the
# project's sample KiSS set through tamsa.spi (one PNG per cel in out/samples/
# and a contact sheet of them all, out/samples/contact-sheet.png), then shows
# the dressed doll through tamsadoll.spi (one PNG per page of
# samples/mira/mira.cnf, out/samples/doll/mira.set0.png ..., and their sheet,
# out/samples/doll-sheet.png). Last it opens the same set packed as it
# travels, samples/archives/mira.zip and mira.lzh, through spihost (every cel
# and every page of the doll, out/samples/archives/mira.zip/ ... and
# out/samples/archive-sheet.png), and shows mira.zip as an album through
# the album plug-in tamsaset.spi (out/samples/album/mira.zip/ and
# out/samples/album-sheet.png); it fails unless each of those pictures equals
# the unpacked set's byte for byte.
#
#   scripts/run-samples.sh [--64] [--update-docs] [--build DIR]
# --64 uses the 64-bit tamsa.sph, tamsadoll.sph, tamsaset.sph and spihost under 64-bit Wine
# instead (default build folder build/win64); --update-docs also copies the
# contact sheet to docs/contact-sheet.png and the doll's page 0 to
# docs/doll.png and the album's sheet to docs/album-sheet.png; --build names
# the cross-build folder (default build/win).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

update_docs=0
bits=32
build=
while [ $# -gt 0 ]; do
  case $1 in
    --64) bits=64 ;;
    --update-docs) update_docs=1 ;;
    --build)
      [ $# -ge 2 ] || { echo "run-samples: --build needs a folder" >&2; exit 2; }
      build=$2
      shift
      ;;
    -h | --help)
      sed -n '2,21s/^# \{0,1\}//p' "$0"
      exit 0
      ;;
    *)
      echo "run-samples: unknown argument $1 (see --help)" >&2
      exit 2
      ;;
  esac
  shift
done

if [ "$bits" -eq 64 ]; then
  toolchain=cmake/mingw-x86_64.cmake plugin=tamsa.sph doll_plugin=tamsadoll.sph
  set_plugin=tamsaset.sph
  build=${build:-build/win64}
else
  toolchain=cmake/mingw-i686.cmake plugin=tamsa.spi doll_plugin=tamsadoll.spi
  set_plugin=tamsaset.spi
  build=${build:-build/win}
fi

bash scripts/setup.sh

echo "== Windows build, $bits-bit ($plugin, $doll_plugin, spihost)"
source scripts/build-tree.sh
build_tree "$build" -DCMAKE_TOOLCHAIN_FILE=$toolchain -DCMAKE_BUILD_TYPE=Release \
  --target tamsa_spi tamsadoll_spi tamsaset_spi spihost

source scripts/wine-env.sh
# Its last word does not matter: a Wine that cannot start shows in the run below.
start_wine_session "$build" || true
trap stop_wine_session EXIT

out=out/samples
rm -rf "$out"
mkdir -p "$out"
# Each report goes to a file, which no Wine service started along with the
# tool can hold open after it has ended, as it could a pipe.
run_spihost() {
  local log=$1 status=0
  shift
  scripts/wine-run.sh "$build/tools/spihost/spihost.exe" "$@" >"$log" 2>&1 || status=$?
  grep -v '^qemu-i386-static: warning' "$log" || true
  if [ "$status" -ne 0 ]; then
    echo "run-samples: spihost failed (exit status $status)" >&2
    exit 1
  fi
}

echo "== converting samples/mira through $plugin under $bits-bit Wine (slow where i386 is emulated)"
run_spihost "$out/spihost.log" --plugin "$build/plugin/$plugin" \
  --recursive --out "$out" --sheet "$out/contact-sheet.png" samples/mira

# --doll without --plugin takes the doll plug-in of the build; the folder
# stands for its configuration file mira.cnf, which labels the pages by its
# name ("mira.cnf set0").
echo "== dressing the doll of samples/mira/mira.cnf through $doll_plugin"
run_spihost "$out/doll.log" --doll --out "$out/doll" --sheet "$out/doll-sheet.png" \
  samples/mira

echo "== opening the sample set's archives samples/archives/mira.zip and mira.lzh"
run_spihost "$out/archives.log" --out "$out/archives" --sheet "$out/archive-sheet.png" \
  samples/archives
mismatches=0
for archive in mira.zip mira.lzh; do
  # The unpacked set's cels, then its doll's page.
  for picture in $(cd "$out" && find . -name '*.png' -not -path './doll/*' \
    -not -path './archives/*' -not -name '*sheet.png' | sort) doll/mira.set0.png; do
    packed=$out/archives/$archive/${picture#doll/}
    if ! cmp -s "$out/$picture" "$packed"; then
      echo "run-samples: $packed is not the picture of the unpacked set ($out/$picture)" >&2
      mismatches=$((mismatches + 1))
    fi
  done
done
if [ "$mismatches" -ne 0 ]; then
  echo "run-samples: $mismatches pictures from the archives differ from the unpacked set's" >&2
  exit 1
fi
echo "run-samples: the pictures of mira.zip and mira.lzh equal the unpacked set's byte for byte"

# The album plug-in, as a viewer that browses archives has it: the archive's
# members listed and fetched through its exports, the page first ("!mira.set0")
# and then every cel, each the picture of the unpacked set.
echo "== the album of samples/archives/mira.zip through $set_plugin"
run_spihost "$out/album.log" --plugin "$build/setplugin/$set_plugin" --out "$out/album" \
  --sheet "$out/album-sheet.png" samples/archives/mira.zip
for picture in $(cd "$out" && find . -name '*.png' -not -path './doll/*' -not -path './archives/*' \
  -not -path './album/*' -not -name '*sheet.png' | sort) doll/mira.set0.png; do
  name=${picture#doll/}
  [ "$picture" = doll/mira.set0.png ] && name='!mira.set0.png'
  if ! cmp -s "$out/$picture" "$out/album/mira.zip/$name"; then
    echo "run-samples: the album's $name is not the picture of the unpacked set ($out/$picture)" >&2
    mismatches=$((mismatches + 1))
  fi
done
if [ "$mismatches" -ne 0 ]; then
  echo "run-samples: $mismatches pictures of the album differ from the unpacked set's" >&2
  exit 1
fi
echo "run-samples: the album's pictures equal the unpacked set's byte for byte"

if [ "$update_docs" -eq 1 ]; then
  mkdir -p docs
  cp "$out/contact-sheet.png" docs/contact-sheet.png
  cp "$out/doll/mira.set0.png" docs/doll.png
  cp "$out/album-sheet.png" docs/album-sheet.png
  echo "run-samples: copied the contact sheet to docs/contact-sheet.png, the doll to docs/doll.png" \
    "and the album's sheet to docs/album-sheet.png"
fi
echo "run-samples: pictures in $out/, contact sheets $out/contact-sheet.png, $out/doll-sheet.png," \
  "$out/archive-sheet.png and $out/album-sheet.png"
