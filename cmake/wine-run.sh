#!/bin/sh
# Runs a Windows program under Wine for CTest. The test scripts set up the
# prefix and start its server beforehand; this only picks the loader.
: "${WINEPREFIX:=$(dirname "$0")/../build/wineprefix}"
export WINEPREFIX
export WINEDEBUG=-all
exec "$(dirname "$0")/../scripts/wine" "$@"
