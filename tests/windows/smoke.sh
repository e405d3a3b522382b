#!/usr/bin/env bash
# Smoke test of keyfall.exe under Wine, run in a virtual display: the window appears in a data
# folder of its own, Start is chosen from the menu, a few keys are typed, Exit is chosen, and
# the process ends with exit code 0. Screenshots stay in the work folder for a person to see.
#
# With SCALE (the prefix's DPI over 96, whole), the window's frame must be that many times
# 640 x 320.
#
# usage: smoke.sh KEYFALL_EXE SOURCE_DIR WORK_DIR [SCALE]   (WINEPREFIX set, DISPLAY from
# scripts/xvfb-session)
set -euo pipefail
exe=$1 source_dir=$2 work=$3 scale=${4:-1}
wine_dir=$(dirname "$(command -v wine)")

fail() {
    echo "windows-smoke: FAILED: $*" >&2
    if [[ -s "$work/wine.log" ]]; then tail -n 20 "$work/wine.log" >&2; fi
    exit 1
}

rm -rf "$work"
mkdir -p "$work"
if [[ -d "$source_dir/Date" ]]; then cp -r "$source_dir/Date" "$work/Date"; fi
mkdir -p "$work/Date"
if [[ ! -f "$work/Date/Words.txt" ]]; then
    # Two Easy words in code page 932: あか,aka and さくら,sakura.
    printf '[EASY]\r\n\x82\xa0\x82\xa9,aka\r\n\x82\xb3\x82\xad\x82\xe7,sakura\r\n' \
        >"$work/Date/Words.txt"
fi
cp "$exe" "$work/keyfall.exe"
cd "$work"

"$wine_dir/wine" keyfall.exe >"$work/wine.log" 2>&1 &
pid=$!
# Only this process: the Wine server of the prefix serves the unit tests running beside.
cleanup() {
    if kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null || true; fi
    # The prefix is free for the next program, on whatever display it has.
    "$wine_dir/wineserver" -w || true
}
trap cleanup EXIT

window=""
for _ in $(seq 1 120); do
    window=$(xdotool search --name '^Keyfall$' 2>/dev/null | head -n 1 || true)
    [[ -n "$window" ]] && break
    if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid" || status=$?
        fail "keyfall.exe ended with ${status:-0} before its window appeared"
    fi
    sleep 0.5
done
[[ -n "$window" ]] || fail "no window named Keyfall appeared"
eval "$(xdotool getwindowgeometry --shell "$window")"
echo "windows-smoke: window $window at $X,$Y size ${WIDTH}x$HEIGHT"
# The client area is the frame times the scale; caption, menu bar and edges come on top.
((WIDTH >= 640 * scale && WIDTH < 640 * scale + 40 && HEIGHT >= 320 * scale + 40)) ||
    fail "a ${WIDTH}x$HEIGHT window cannot hold the frame at scale $scale"
sleep 1
import -window root "$work/window.png"

# Focus the window with a click into the frame, then the menu from the keyboard: Game, Start.
xdotool mousemove --sync $((X + 320 * scale)) $((Y + HEIGHT - 100 * scale)) click 1
sleep 0.5
xdotool key --delay 300 alt+g s
# The countdown shows 3, 2, 1, one second apart; then the game runs.
sleep 4.5
xdotool type --delay 150 'akasakura'
sleep 0.5
import -window root "$work/game.png"

# Exit has no mnemonic: open Game, go up from the first item to the last one, Exit.
xdotool key --delay 300 alt+g
sleep 0.5
import -window root "$work/menu.png"
xdotool key --delay 300 Up Return

status=0
for _ in $(seq 1 60); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.5
done
kill -0 "$pid" 2>/dev/null && fail "keyfall.exe still runs after Exit"
wait "$pid" || status=$?
[[ $status -eq 0 ]] || fail "keyfall.exe exited with $status"

# The game screen replaced the idle one: gauge, balloons and status line change thousands
# of pixels of the client area (its lowest 320 rows, less a margin for the border).
frame="$((600 * scale))x$((280 * scale))+$((X + 10 * scale))+$((Y + HEIGHT - 300 * scale))"
convert "$work/window.png" -crop "$frame" "$work/window-frame.png"
convert "$work/game.png" -crop "$frame" "$work/game-frame.png"
changed=$(compare -metric AE "$work/window-frame.png" "$work/game-frame.png" null: 2>&1 || true)
[[ "$changed" =~ ^[0-9]+$ ]] || fail "cannot compare the screenshots: $changed"
((changed >= 2000 * scale * scale)) || fail "the game screen did not appear after Start ($changed pixels changed)"
echo "windows-smoke: passed (exit code 0, $changed pixels changed by the game; screenshots in $work)"
