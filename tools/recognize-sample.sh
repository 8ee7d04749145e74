#!/bin/sh
# Sets up a Debian machine (apt packages, the stroke data package), builds the
# recognizers and both code pages' base dictionaries, and recognizes the
# bundled handwriting sample end to end, in GB2312 and in Big5: segmentation
# into character cells, then one line of candidates per cell.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup-debian.sh
cmake --preset native-release > /dev/null
cmake --build --preset native-release -j "$(nproc)"
bin=build/native-release/bin
WRENDLE_WINDOWS_DIR=build/native-release/windows
export WRENDLE_WINDOWS_DIR
mkdir -p "$WRENDLE_WINDOWS_DIR"
echo "== data/samples/one-two-ten.json (GB2312)"
"$bin/gb2312/recognize" --lang 4000 data/samples/one-two-ten.json
echo "== data/samples/one-two-ten.json (Big5)"
"$bin/big5/recognize" --lang 2000 data/samples/one-two-ten.json
