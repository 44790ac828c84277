#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program on a real X server: the splash first, the main window about
# five seconds after the start, one help window for F1, the Replace dialog for
# Alt+F Enter, and File > Exit ending the program with the help window open.
# Usage: xvfb-run -a -s "-screen 0 1024x768x24 -noreset" tests/xvfb/smoke.sh KALVO
# KALVO_SCREENSHOT_DIR: where to save screenshots (needs ImageMagick).
set -u

kalvo=${1:?usage: smoke.sh PATH-TO-KALVO}
limit=${KALVO_SMOKE_LIMIT:-7.5} # latest second after the start for the main window
shots=${KALVO_SCREENSHOT_DIR:-}
[ -z "$shots" ] || mkdir -p "$shots"
export QT_QPA_PLATFORM=xcb
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR

log=$(mktemp) pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -f "$log"' EXIT

fail() {
    echo "FAIL: $*"
    echo "--- windows on the display:" && xwininfo -root -tree | grep -v '^\s*$' | head -40
    echo "--- output of kalvo:" && cat "$log"
    exit 1
}

since() { awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }'; }
later() { awk -v a="$(since)" -v b="$1" 'BEGIN { print a + b }'; }
less_than() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }

# Visible top-level windows of the program with this title (one id a line).
named() { xdotool search --all --onlyvisible --pid "$pid" --name "^$1\$" 2>/dev/null; }
splashes() {
    for w in $(named '.*'); do
        xprop -id "$w" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_SPLASH && echo "$w"
    done
}
# await DEADLINE WHAT COMMAND...: until DEADLINE seconds after the start,
# waits for COMMAND to print something.
await() {
    local deadline=$1 what=$2 && shift 2
    until [ -n "$("$@")" ]; do
        kill -0 "$pid" 2>/dev/null || fail "kalvo ended while waiting for $what"
        less_than "$(since)" "$deadline" || fail "$what not shown within $deadline s of the start"
        sleep 0.1
    done
}
focus() {
    xdotool windowfocus --sync "$main" 2>/dev/null || xdotool windowfocus "$main"
    sleep 0.3
}
# Half a second for the windows to draw, then a screenshot when asked for.
shoot() { sleep 0.5 && [ -n "$shots" ] && import -window root "$shots/$1.png"; }

start=$(date +%s.%N)
"$kalvo" >"$log" 2>&1 &
pid=$!

# 1. The splash: alone, frameless, no task-bar entry, at its stored place.
await 3 "the splash" splashes
splash=$(splashes | head -1)
echo "splash after $(since) s"
[ -z "$(named Kalvo)" ] || fail "the main window shows together with the splash"
geometry=$(xwininfo -id "$splash" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} END {print w "x" h "+" x "+" y}')
# The client area, 492 x 283 at 175, 196, inside the 2-pixel edge of its frame.
[ "$geometry" = "496x287+173+194" ] || fail "splash geometry $geometry, expected 496x287+173+194"
xprop -id "$splash" WM_TRANSIENT_FOR | grep -q 'window id' ||
    fail "the splash is not transient, a task bar would list it"
shoot splash

# 2. The main window, about five seconds after the start, and no splash.
await "$limit" "the main window" named Kalvo
main=$(named Kalvo | head -1)
shown=$(since)
echo "main window after $shown s"
less_than 4.9 "$shown" || fail "the main window came after $shown s, before the splash's 5 s"
[ -z "$(splashes)" ] || fail "the splash is still shown with the main window"
shoot main
[ -z "$(splashes)" ] || fail "the splash came back"

# 3. F1 opens the help window; a second F1 opens no second one.
focus
xdotool key F1
await "$(later 5)" "a help window after F1" named Help
shoot help
focus
xdotool key F1 sleep 0.5
count=$(named Help | wc -l)
[ "$count" -eq 1 ] || fail "$count help windows after a second F1"

# 4. The main window has an icon; the Replace dialog (Alt+F, Enter) has none.
xprop -id "$main" _NET_WM_ICON | grep -q 'Icon (' || fail "the main window has no icon"
xdotool windowraise "$main"
focus
xdotool key alt+f sleep 0.3 key Return
await "$(later 5)" "a Replace dialog after Alt+F, Enter" named Replace
xprop -id "$(named Replace | head -1)" _NET_WM_ICON | grep -q 'not found' ||
    fail "the Replace dialog has an icon"

# 5. File > Exit ends the program at once, the help window still open.
# Without a window manager every window opens at 0, 0: lift the main window
# above the help window before clicking its menu bar.
xdotool windowraise "$main" sleep 0.3
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove --sync $((X + 16)) $((Y + 10)) click 1 sleep 0.5 key e
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "kalvo still runs after File > Exit"
wait "$pid"
status=$? pid=
[ "$status" -eq 0 ] || fail "kalvo exited with status $status"
echo "smoke test passed"
