#!/usr/bin/env bash
# Runs a Windows test program under Wine in a virtual display, then waits for the prefix's Wine
# server to end, so that the next program in the prefix may bind it to another display.
# usage: in_display.sh PROGRAM [ARGUMENT...]   (WINEPREFIX set, DISPLAY from scripts/xvfb-session)
set -uo pipefail
wine_dir=$(dirname "$(command -v wine)")
"$wine_dir/wine" "$@"
status=$?
"$wine_dir/wineserver" -w
exit $status
