#!/usr/bin/env bash
# Sets up the Wine prefix of a cross build's tests (WINEPREFIX): the first start, then the
# Japanese fonts a Windows player has, mapped to the IPA Gothic font of the Linux machine,
# and windows that Wine frames itself (a test display has no window manager).
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the prefix}"
wine_dir=$(dirname "$(command -v wine)")

"$wine_dir/wineboot" -i

screen=()
if [[ -n "${KEYFALL_WINE_DPI:-}" ]]; then
    screen=('[HKEY_CURRENT_USER\Control Panel\Desktop]'
        "\"LogPixels\"=dword:$(printf %08x "$KEYFALL_WINE_DPI")" '')
fi
registry=$(mktemp --suffix=.reg)
trap 'rm -f "$registry"' EXIT
# regedit reads version 5 files as UTF-16; the face names are Japanese.
printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
    '"ＭＳ ゴシック"="IPAGothic"' '"MS Gothic"="IPAGothic"' \
    '"ＭＳ Ｐゴシック"="IPAPGothic"' '"MS PGothic"="IPAPGothic"' \
    '"MS UI Gothic"="IPAPGothic"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '' "${screen[@]}" |
    iconv -f UTF-8 -t UTF-16 >"$registry"
"$wine_dir/wine" regedit /S "$("$wine_dir/winepath" -w "$registry")"
"$wine_dir/wineserver" -w
echo "wine-prefix: ready in $WINEPREFIX${KEYFALL_WINE_DPI:+ at $KEYFALL_WINE_DPI DPI}"
