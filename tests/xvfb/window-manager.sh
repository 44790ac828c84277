#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program under a window manager (openbox) on a real X server: what
# the window manager makes of each window. The splash has an empty name; the
# Replace dialog and the message boxes are fixed dialogs: the dialog window
# type, a size that cannot change, no maximize offered, and no minimize asked
# for (openbox offers minimize on every dialog whatever it asks; a window
# manager that honours the request shows no such button).
# Usage: xvfb-run -a -s "-screen 0 1024x768x24 -noreset" tests/xvfb/window-manager.sh KALVO
set -u

kalvo=${1:?usage: window-manager.sh PATH-TO-KALVO}
export QT_QPA_PLATFORM=xcb
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR

log=$(mktemp) pid= wm=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; [ -n "$wm" ] && kill "$wm" 2>/dev/null; rm -f "$log"' EXIT
fail() {
    echo "FAIL: $*"
    echo "--- output of kalvo:" && cat "$log"
    exit 1
}

openbox >/dev/null 2>&1 &
wm=$!
for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done

named() { xdotool search --all --onlyvisible --pid "$pid" --name "^$1\$" 2>/dev/null; }
await() { # WHAT COMMAND...: up to ten seconds for COMMAND to print something
    local what=$1 && shift
    for _ in $(seq 100); do
        [ -n "$("$@")" ] && return 0
        kill -0 "$pid" 2>/dev/null || fail "kalvo ended while waiting for $what"
        sleep 0.1
    done
    fail "no $what"
}
splashes() {
    for w in $(xdotool search --all --onlyvisible --pid "$pid" --name '.*' 2>/dev/null); do
        xprop -id "$w" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_SPLASH && echo "$w"
    done
}
# fixed_dialog WINDOW WHAT: the window is a dialog of one size that offers
# no maximize and asks for no minimize.
fixed_dialog() {
    local w=$1 what=$2 hints motif
    echo "$what: $(xprop -id "$w" _NET_WM_ALLOWED_ACTIONS _MOTIF_WM_HINTS | tr '\n' ' ')"
    xprop -id "$w" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_DIALOG ||
        fail "$what is not a dialog: $(xprop -id "$w" _NET_WM_WINDOW_TYPE)"
    xprop -id "$w" _NET_WM_ALLOWED_ACTIONS | grep -q 'MAXIMIZE' &&
        fail "$what offers maximize: $(xprop -id "$w" _NET_WM_ALLOWED_ACTIONS)"
    xprop -id "$w" _NET_WM_ALLOWED_ACTIONS | grep -q 'RESIZE' &&
        fail "$what can be resized: $(xprop -id "$w" _NET_WM_ALLOWED_ACTIONS)"
    hints=$(xprop -id "$w" WM_NORMAL_HINTS)
    local min max
    min=$(sed -n 's/.*minimum size: \([0-9]* by [0-9]*\).*/\1/p' <<<"$hints")
    max=$(sed -n 's/.*maximum size: \([0-9]* by [0-9]*\).*/\1/p' <<<"$hints")
    [ -n "$min" ] && [ "$min" = "$max" ] || fail "$what has sizes from $min to $max"
    # _MOTIF_WM_HINTS: flags, functions, decorations, ...; minimize is the
    # functions' bit 8 and the decorations' bit 32.
    motif=$(xprop -id "$w" _MOTIF_WM_HINTS | sed -n 's/.*= //p' | tr -d ' ')
    IFS=, read -r flags functions decorations _ <<<"$motif"
    [ -n "$flags" ] || fail "$what has no Motif hints"
    if (( (flags & 1) && (functions & 1) == 0 && (functions & 8) )); then
        fail "$what asks for minimize (functions $functions)"
    fi
    if (( (flags & 2) && (decorations & 1) == 0 && (decorations & 32) )); then
        fail "$what asks for a minimize button (decorations $decorations)"
    fi
    if (( (flags & 1) && (functions & 1) )) || (( (flags & 2) && (decorations & 1) )); then
        fail "$what asks for all functions or decorations: $motif"
    fi
}

"$kalvo" >"$log" 2>&1 &
pid=$!

# The splash: no name at all, and drawn with the raised edge of its frame.
await "splash" splashes
splash=$(splashes | head -1)
name=$(xprop -id "$splash" _NET_WM_NAME WM_NAME)
grep -qx '_NET_WM_NAME(UTF8_STRING) = ' <<<"$name" || fail "the splash has a name: $name"
grep -qx 'WM_NAME(STRING) = ' <<<"$name" || fail "the splash has a name: $name"

# The main window, then the Replace dialog (Alt+F, Enter).
await "main window" named Kalvo
main=$(named Kalvo | head -1)
xdotool windowactivate --sync "$main" 2>/dev/null
sleep 0.3
xdotool key alt+f sleep 0.3 key Return
await "Replace dialog" named Replace
fixed_dialog "$(named Replace | head -1)" "the Replace dialog"
xdotool key Escape sleep 0.2
xdotool windowclose "$(named Replace | head -1)" 2>/dev/null
sleep 0.3

# A message box: the first one after a conversion (Alt+C).
xdotool windowactivate --sync "$main" 2>/dev/null
sleep 0.3
xdotool key alt+c
await "message box" bash -c "xdotool search --all --onlyvisible --pid $pid --name '^Kalvo\$' | grep -vx $main"
box=$(named Kalvo | grep -vx "$main" | head -1)
fixed_dialog "$box" "the message box"
echo "window manager test passed"
