#!/usr/bin/env bash
# SPDX-License-Identifier: Zlib
# Starts the real program in a real X server (Xvfb): its own window must
# appear with the game's caption and size and take a click, and the program
# must end cleanly when it is asked to quit.
#
# Nothing here depends on how fast the machine is: the program runs without a
# frame limit, every wait is for something to happen (the X server to answer,
# the program's window to be mapped at its size) with a generous limit only as
# a guard against a program that never gets there, and the program ends when
# this script asks it to. It is asked with SIGTERM, which SDL (under the
# platform layer) turns into the same quit message as closing the window; the
# runner then ends the game with exit code 0. (Closing the window as a window
# manager's close button does, with the WM_DELETE_WINDOW message, is what
# tests/desktop/window_test.py checks; destroying the window or the program's
# connection is no clean end.)
#
# The click is checked in the input the program recorded (-record): the X
# server has handed the click to the program before xdotool returns, and SDL
# reads the window's pending messages before it turns a pending SIGTERM into
# the quit message, so the recording must hold the click.
set -euo pipefail
program=$1
caption="Mobwright Studio| Tindra "
limit=60  # seconds; a guard, not a timing assumption
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "xvfb_smoke: $tool is not installed"; exit 1; }
done
work=$(mktemp -d)
xvfb=
program_pid=
cleanup() {
  if [ -n "$program_pid" ]; then kill -KILL "$program_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "xvfb_smoke: $*"
  [ -f "$work/program.log" ] && { echo "--- program log:"; tail -n 40 "$work/program.log"; }
  exit 1
}

# An X server of our own. It picks a free display number itself and writes
# it to a pipe once it accepts connections (-displayfd): no guessing of
# numbers, no polling for it to be ready. -noreset: by default the server
# starts over whenever its last client leaves, and a program connecting at
# that moment (after a first xdotool search, before the program's own
# connection) finds no server, goes on without a window and is never found.
mkfifo "$work/display"
Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
number=
read -r -t "$limit" number <"$work/display" || true
[ -n "$number" ] || { cat "$work/xvfb.log"; fail "Xvfb did not start"; }
export DISPLAY=":$number"

# No -frames: the program runs until it is told to quit.
"$program" -noaudio -record "$work/input.txt" >"$work/program.log" 2>&1 &
program_pid=$!

# The program's own window (by its process id), mapped, at its full size,
# and the program in its main loop: the window is made early in start-up, and
# input that arrives before the main loop is taken but not recorded.
window=
geometry=
deadline=$((SECONDS + limit))
while :; do
  if ! kill -0 "$program_pid" 2>/dev/null; then
    status=0
    wait "$program_pid" || status=$?
    program_pid=
    fail "the program ended (exit status $status) before its window appeared"
  fi
  window=$(xdotool search --onlyvisible --pid "$program_pid" 2>/dev/null | head -n 1 || true)
  if [ -n "$window" ]; then
    geometry=$(xdotool getwindowgeometry "$window" 2>/dev/null | sed -n 's/.*Geometry: //p' || true)
    [ "$geometry" = "1024x768" ] && grep -q "Entering main loop." "$work/program.log" && break
  fi
  [ "$SECONDS" -lt "$deadline" ] ||
    fail "no window of the program at 1024x768 in its main loop within $limit s (window '$window', geometry '$geometry')"
  sleep 0.1
done

name=$(xdotool getwindowname "$window" || true)
[ "$name" = "$caption" ] || fail "the window's caption is '$name', not '$caption'"

xdotool mousemove --window "$window" 600 400 click 1

# Quit, then wait for the program to end by itself.
kill -TERM "$program_pid" 2>/dev/null || true
status=0
deadline=$((SECONDS + limit))
while kill -0 "$program_pid" 2>/dev/null; do
  [ "$SECONDS" -lt "$deadline" ] || fail "the program did not end within $limit s of being asked to quit"
  sleep 0.1
done
wait "$program_pid" || status=$?
program_pid=
[ "$status" -eq 0 ] || fail "the program ended with $status, not 0"
grep -q " press 1$" "$work/input.txt" || fail "the click never reached the program: $(cat "$work/input.txt")"
grep -q " release 1$" "$work/input.txt" || fail "the button release never reached the program: $(cat "$work/input.txt")"
echo "xvfb_smoke: window $geometry with its caption, click taken, clean exit on request"
