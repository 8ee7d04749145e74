#!/bin/sh
# Runs a Windows executable under wine for ctest: wine-run.sh LOADER PROGRAM
# [ARGS]. LOADER is "wine" for the 32-bit product, "wine64" for the 64-bit
# build; both run in one 64-bit prefix. The caller provides the display
# (xvfb-run -a) and a prepared WINEPREFIX.
loader=$1
shift
export WINEDEBUG=${WINEDEBUG:--all}
exec "/usr/lib/wine/$loader" "$@"
