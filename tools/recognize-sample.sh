#!/bin/sh
# Sets up a Debian machine, builds the recognizers and recognizes the bundled
# handwriting sample end to end: segmentation into character cells, then the
# candidates of each cell.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup-debian.sh
cmake --preset native-release > /dev/null
cmake --build --preset native-release -j "$(nproc)"
mkdir -p build/native-release/windows
for sample in data/samples/*.strokes; do
  echo "== $sample"
  build/native-release/bin/recognize_strokes --windows-dir build/native-release/windows "$sample"
done
