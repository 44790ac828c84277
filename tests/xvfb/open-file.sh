#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# `kalvo FILE` on a real X server: the file opens once the main window
# shows, a TI-86 program as its text and a text file as it is (read back
# through Edit > Select All and Ctrl+C from the clipboard); --help and
# --version answer without a display; a wrong command line fails. Last,
# under a window manager (openbox), the findings window that a conversion
# opens leaves the main window active.
# Usage: xvfb-run -a -s "-screen 0 1024x768x24 -noreset" tests/xvfb/open-file.sh KALVO GOLDEN_DIR
set -u

kalvo=${1:?usage: open-file.sh KALVO GOLDEN_DIR}
golden=${2:?usage: open-file.sh KALVO GOLDEN_DIR}
export QT_QPA_PLATFORM=xcb
work=$(mktemp -d) pid=
wm=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; [ -n "$wm" ] && kill "$wm" 2>/dev/null; rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*"
    [ -f "$work/log" ] && echo "--- output of kalvo:" && cat "$work/log"
    exit 1
}

# 1. Questions answered without a display.
version=$(env -u DISPLAY "$kalvo" --version) || fail "--version failed"
[[ $version =~ ^kalvo\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version printed '$version'"
env -u DISPLAY "$kalvo" --help | grep -q '^Usage: kalvo \[FILE\]$' || fail "--help has no usage line"
"$kalvo" one two >/dev/null 2>"$work/err"
[ $? -eq 2 ] || fail "two files did not fail with status 2"
grep -q "one file at a time" "$work/err" || fail "two files: $(cat "$work/err")"
"$kalvo" --frobnicate >/dev/null 2>&1
[ $? -eq 2 ] || fail "an unknown option did not fail with status 2"

# Starts kalvo on FILE and sets `main` to its main window.
start_on() { # FILE
    "$kalvo" "$1" >"$work/log" 2>&1 &
    pid=$!
    main=
    for _ in $(seq 120); do
        main=$(xdotool search --all --onlyvisible --pid "$pid" --name '^Kalvo$' 2>/dev/null | head -1)
        [ -n "$main" ] && break
        kill -0 "$pid" 2>/dev/null || fail "kalvo ended before its window showed"
        sleep 0.1
    done
    [ -n "$main" ] || fail "no main window for $1"
    sleep 0.5
}

# The document of a kalvo started on FILE, as the clipboard gets it.
document_of() { # FILE
    start_on "$1"
    xdotool windowraise "$main"
    # Edit > Select All, then Copy. With no window manager a key can reach
    # the window before it takes the focus, so a copy that gave nothing is
    # tried again (after closing a menu a lost key may have left open).
    : >"$work/copied"
    for _ in 1 2 3; do
        xdotool windowfocus --sync "$main" 2>/dev/null || xdotool windowfocus "$main"
        sleep 0.3
        xdotool key alt+e sleep 0.3 key e sleep 0.3 key ctrl+c sleep 0.5
        xclip -o -selection clipboard >"$work/copied" 2>/dev/null && [ -s "$work/copied" ] && break
        xdotool key Escape sleep 0.2 key Escape sleep 0.3
    done
    [ -s "$work/copied" ] || fail "nothing on the clipboard"
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    pid=
}

# 2. A TI-86 program opens as the text -t ti86 gives.
cp "$golden/calcfiles/locked.86p" "$work/LOCK.86p"
document_of "$work/LOCK.86p"
cmp -s "$work/copied" "$golden/calcfiles/locked.ti86.txt" ||
    fail "LOCK.86p opened as '$(od -c "$work/copied" | head -5)'"

# 3. A text file opens as it is.
printf ':ClLCD\r\n:Disp "HI"\r\n' >"$work/hi.txt"
document_of "$work/hi.txt"
cmp -s "$work/copied" "$work/hi.txt" || fail "hi.txt opened as '$(od -c "$work/copied" | head -5)'"
# 4. Under openbox: after Convert and its two messages, the findings window
# shows and the main window keeps the keyboard.
openbox >/dev/null 2>&1 &
wm=$!
for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
printf ':Lbl START\r\n:Goto START\r\n' >"$work/labels.txt"
start_on "$work/labels.txt"
xdotool windowactivate --sync "$main" 2>/dev/null
sleep 0.3
xdotool key alt+c sleep 1 key Return sleep 0.5 key Return
findings=
for _ in $(seq 50); do
    findings=$(xdotool search --all --onlyvisible --pid "$pid" --name '^Findings$' 2>/dev/null | head -1)
    [ -n "$findings" ] && break
    sleep 0.1
done
[ -n "$findings" ] || fail "no findings window after converting labels.txt"
sleep 0.5
active=$(xdotool getactivewindow 2>/dev/null)
[ "$active" = "$main" ] || fail "the active window is $active, not the main window $main"
echo "kalvo FILE test passed"
