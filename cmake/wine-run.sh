#!/bin/sh
# Runs a Windows executable under wine64 for ctest. The caller provides the
# display (xvfb-run -a) and a prepared WINEPREFIX.
WINE64=${WRENDLE_WINE64:-/usr/lib/wine/wine64}
export WINEDEBUG=${WINEDEBUG:--all}
exec "$WINE64" "$@"
