#!/bin/sh
# Sets up a Debian machine, builds the four builds and runs every test:
# the native suites (ASan + UBSan), the export tables of the Windows modules,
# and the 64-bit Windows suites under wine64 in a headless X server.
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc)

sh tools/setup-debian.sh

for preset in native native-release win32 win64; do
  echo "== build $preset"
  cmake --preset "$preset" > /dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

echo "== native tests"
ctest --preset native -j "$jobs"

echo "== fuzz every file reader (30 s each)"
sh tools/fuzz.sh

echo "== export tables of the 32-bit product"
ctest --preset win32

echo "== Windows tests under wine64"
WINEPREFIX=$(mktemp -d /tmp/wrendle-wine.XXXXXX)
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
xvfb-run -a sh -c '/usr/lib/wine/wine64 wineboot -i && /usr/lib/wine/wineserver -w && ctest --preset win64 -j 4'
