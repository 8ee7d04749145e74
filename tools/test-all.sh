#!/bin/sh
# Sets up a Debian machine, builds the four builds and runs every test:
# the native suites (ASan + UBSan), the export tables of the Windows modules,
# and the Windows suites of the 32-bit product under wine in a headless X
# server.
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc)

sh tools/setup-debian.sh

# The Release build first: it generates the language and handwriting models
# and the engine's installation tree, which the other builds' tests read.
for preset in native-release native win32 win64; do
  echo "== build $preset"
  cmake --preset "$preset" > /dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

echo "== native tests"
ctest --preset native -j "$jobs"

echo "== the threaded engine interface under ThreadSanitizer"
cmake --preset native-tsan > /dev/null
cmake --build --preset native-tsan -j "$jobs"
ctest --preset native-tsan

echo "== fuzz every file reader (30 s each)"
sh tools/fuzz.sh

echo "== export tables of the Windows modules"
ctest --preset win32 -R '^exports\.|^jebhook\.imports\.'
ctest --preset win64 -R '^exports\.|^jebhook\.imports\.'

# The 32-bit product runs under wine's 32-bit loader, which needs a kernel
# that runs 32-bit programs. Where it cannot, the 64-bit build of the same
# sources stands in, and the run says so.
windows_preset=win32
if ! /usr/lib/wine/wine --version > /dev/null 2>&1; then
  windows_preset=win64
  echo "!! This machine runs no 32-bit programs (the kernel lacks IA-32 emulation):" >&2
  echo "!! the Windows suites run on the 64-bit build (win64), not on the 32-bit product." >&2
fi

echo "== Windows tests ($windows_preset) under wine"
WINEPREFIX=$(mktemp -d /tmp/wrendle-wine.XXXXXX)
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" windows_preset
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
# A suite that fails or times out gets a second run: a wine process now and
# then stays on after its tests have passed, and the end-to-end suites, which
# drive the desktop with simulated input beside the other suites, have lost a
# character that way. (A suite that shows a window takes the foreground, and
# with it the text of an end-to-end suite beside it: such suites hold the
# lock "desktop".) A real fault fails both runs.
# The prefix's first boot has failed once on a fresh machine without a word
# (WINEDEBUG is off); it gets a second try, and each failure says which step.
xvfb-run -a sh -c '
  boot() { /usr/lib/wine/wine64 wineboot -i && /usr/lib/wine/wineserver -w; }
  if ! boot; then
    echo "wine: the new prefix did not boot; trying once more" >&2
    /usr/lib/wine/wineserver -k 2>/dev/null
    boot || { echo "wine: FAILED: the prefix did not boot twice" >&2; exit 1; }
  fi
  ctest --preset "$windows_preset" --repeat until-pass:2 -E "^exports\.|^jebhook\.imports\."' ||
  { echo "== Windows tests: FAILED" >&2; exit 1; }

# PNG copies of the Windows suites' screenshots (BMP), to look at anywhere.
if command -v convert > /dev/null; then
  for picture in build/"$windows_preset"/artifacts/*.bmp; do
    if [ -f "$picture" ]; then convert "$picture" "${picture%.bmp}.png"; fi
  done
fi
