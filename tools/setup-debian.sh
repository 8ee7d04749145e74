#!/bin/sh
# Installs what the builds and tests need on a fresh Debian 12 machine.
set -eu
packages="cmake g++ make googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine64 xvfb xauth libpugixml-dev"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
fi

# The open stroke data that the base dictionaries are built from, pinned.
# npm and node come with the machine (Debian's nodejs package is not used).
stroke_data=data/generated/npm
if [ ! -f "$stroke_data/node_modules/hanzi-writer-data/package.json" ]; then
  command -v npm > /dev/null || { echo "setup: npm is needed for the stroke data" >&2; exit 1; }
  npm install --silent --no-audit --no-fund --prefix "$stroke_data" hanzi-writer-data@2.0.1
fi

# The single-stroke SVG fonts that the letter templates are built from,
# pinned, copied out of the package without installing it.
letter_fonts=data/generated/inkscape
if [ ! -f "$letter_fonts/usr/share/inkscape/extensions/svg_fonts/EMSTech.svg" ]; then
  download=$(mktemp -d)
  (cd "$download" && apt-get download -q inkscape=1.2.2-2+deb12u1)
  dpkg -x "$download"/inkscape_1.2.2-2+deb12u1_*.deb "$download/unpacked"
  mkdir -p "$letter_fonts/usr/share/inkscape/extensions"
  cp -r "$download/unpacked/usr/share/inkscape/extensions/svg_fonts" "$letter_fonts/usr/share/inkscape/extensions/"
  rm -rf "$download"
fi
