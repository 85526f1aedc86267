#!/usr/bin/env bash
# Starts the real program in a real X server (Xvfb): its window must appear
# with the game's caption and size, take a click, and the program must end
# cleanly after its frames.
set -euo pipefail
program=$1
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "xvfb_smoke: $tool is not installed"; exit 1; }
done
work=$(mktemp -d)
display=":$((100 + RANDOM % 400))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
program_pid=
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

"$program" -noaudio -frames 300 >"$work/program.log" 2>&1 &
program_pid=$!

window=
for _ in $(seq 100); do
  window=$(xdotool search --name "^Mobwright Studio\| Tindra $" 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "xvfb_smoke: no window with the game's caption appeared"; cat "$work/program.log"; exit 1
fi
geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
if [ "$geometry" != "1024x768" ]; then
  echo "xvfb_smoke: window is $geometry, not 1024x768"; exit 1
fi
xdotool mousemove --window "$window" 600 400 click 1
status=0
wait "$program_pid" || status=$?
program_pid=
if [ "$status" -ne 0 ]; then
  echo "xvfb_smoke: the program ended with $status"; cat "$work/program.log"; exit 1
fi
grep -q "Entering main loop." "$work/program.log" || { echo "xvfb_smoke: no main loop"; exit 1; }
echo "xvfb_smoke: window $geometry with its caption, click taken, clean exit"
