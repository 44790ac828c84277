#!/bin/bash
# Smoke test of the real program on a real X server:
# the splash shows first, the main window "Kalvo" replaces it about five
# seconds after the start, F1 opens one help window, and File > Exit ends
# the program while the help window is still open.
#
# Usage: xvfb-run -a -s "-screen 0 1024x768x24" tests/xvfb/smoke.sh KALVO
# With KALVO_SCREENSHOT_DIR set, screenshots of the screen with the splash,
# the main window and the help window are written there (needs ImageMagick).
set -u

kalvo=${1:?usage: smoke.sh PATH-TO-KALVO}
# Latest moment, in seconds from the start, for the main window to show.
limit=${KALVO_SMOKE_LIMIT:-7.5}
shots=${KALVO_SCREENSHOT_DIR:-}

export QT_QPA_PLATFORM=xcb
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR

log=$(mktemp)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    rm -f "$log"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    echo "--- windows on the display:"
    xwininfo -root -tree | grep -v '^\s*$' | head -40
    echo "--- output of kalvo:"
    cat "$log"
    exit 1
}

now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }'; }
less_than() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }

# Visible top-level windows of the program (one id a line).
windows() { xdotool search --all --onlyvisible --pid "$pid" --name '.*' 2>/dev/null; }
named() { xdotool search --all --onlyvisible --pid "$pid" --name "^$1\$" 2>/dev/null; }
splashes() {
    local w
    for w in $(windows); do
        xprop -id "$w" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_SPLASH && echo "$w"
    done
}
shoot() { [ -n "$shots" ] && mkdir -p "$shots" && import -window root "$shots/$1.png"; }

start=$(now)
"$kalvo" >"$log" 2>&1 &
pid=$!

# 1. The splash: frameless, no task-bar entry, at its stored place.
splash=
while [ -z "$splash" ]; do
    kill -0 "$pid" 2>/dev/null || fail "kalvo ended before showing its splash"
    less_than "$(since "$start")" 3 || fail "no splash within 3 s"
    sleep 0.1
    splash=$(splashes | head -1)
done
echo "splash after $(since "$start") s"
[ -z "$(named Kalvo)" ] || fail "the main window shows together with the splash"
geometry=$(xwininfo -id "$splash" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} END {print w "x" h "+" x "+" y}')
[ "$geometry" = "492x283+175+196" ] || fail "splash geometry $geometry, expected 492x283+175+196"
xprop -id "$splash" WM_TRANSIENT_FOR | grep -q 'window id' ||
    fail "the splash is not transient, a task bar would list it"
sleep 0.5
shoot splash

# 2. The main window, about five seconds after the start, and no splash.
main=
while [ -z "$main" ]; do
    kill -0 "$pid" 2>/dev/null || fail "kalvo ended between the splash and the main window"
    less_than "$(since "$start")" "$limit" || fail "no main window within $limit s"
    sleep 0.1
    main=$(named Kalvo | head -1)
done
shown=$(since "$start")
echo "main window after $shown s"
less_than 4.9 "$shown" || fail "the main window came after $shown s, before the splash's 5 s"
[ -z "$(splashes)" ] || fail "the splash is still shown with the main window"
sleep 0.5
[ -z "$(splashes)" ] || fail "the splash came back"
shoot main

# 3. F1 opens the help window; a second F1 opens no second one.
xdotool windowfocus --sync "$main" 2>/dev/null || xdotool windowfocus "$main"
sleep 0.3
xdotool key F1
for _ in $(seq 50); do
    [ -n "$(named Help)" ] && break
    sleep 0.1
done
[ -n "$(named Help)" ] || fail "F1 opened no help window"
sleep 0.5
shoot help
xdotool windowfocus "$main"
sleep 0.3
xdotool key F1
sleep 0.5
count=$(named Help | wc -l)
[ "$count" -eq 1 ] || fail "$count help windows after a second F1"

# 4. The Find/Replace dialog has no window icon; the main window has one.
xprop -id "$main" _NET_WM_ICON | grep -q 'Icon (' || fail "the main window has no icon"
xdotool windowraise "$main"
xdotool windowfocus --sync "$main" 2>/dev/null || xdotool windowfocus "$main"
sleep 0.3
xdotool key alt+f
sleep 0.3
xdotool key Return
for _ in $(seq 50); do
    [ -n "$(named Replace)" ] && break
    sleep 0.1
done
replace=$(named Replace | head -1)
[ -n "$replace" ] || fail "Alt+F, Enter opened no Replace dialog"
xprop -id "$replace" _NET_WM_ICON | grep -q 'not found' || fail "the Replace dialog has an icon"

# 5. File > Exit ends the program at once, the help window still open.
# Without a window manager every window opens at 0, 0: lift the main window
# above the help window before clicking its menu bar.
xdotool windowraise "$main"
sleep 0.3
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove --sync $((X + 16)) $((Y + 10)) click 1
sleep 0.5
xdotool key e
for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "kalvo still runs after File > Exit"
wait "$pid"
status=$?
pid=
[ "$status" -eq 0 ] || fail "kalvo exited with status $status"
echo "smoke test passed"
