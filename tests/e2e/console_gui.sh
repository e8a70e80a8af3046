#!/usr/bin/env bash
# The console and the GUI as a player meets them, under Xvfb: the grave-accent key opens the
# console panel (the top half of the screen brightens), a typed command is answered in the log
# and on screen, and a mouse click on the GUI button runs its callback, which ends the probe.
# Usage: console_gui.sh <run-dir> <source-dir>. Exit 77 (skip) without Xvfb or xdotool.
set -u
run_dir=${1:?run directory}
probe="$run_dir/console_probe"
[ -x "$probe" ] || { echo "console_probe is missing from $run_dir"; exit 1; }
for tool in Xvfb xdotool import convert; do
  command -v $tool >/dev/null 2>&1 || { echo "$tool is not installed: skipping"; exit 77; }
done
work=$(mktemp -d)
display=:$(( 200 + RANDOM % 300 ))
cleanup() {
  [ -n "${probe_pid:-}" ] && kill $probe_pid 2>/dev/null
  [ -n "${xvfb_pid:-}" ] && kill $xvfb_pid 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- probe output"; cat "$work/out.txt"; exit 1; }

wait_for() {  # wait_for <file> <text> <seconds>
  for _ in $(seq 1 $(( $3 * 10 ))); do
    grep -qF "$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# Mean brightness (0..1) of the screen region WxH+X+Y.
brightness() {
  DISPLAY=$display import -window root -crop "$1" +repage "$work/shot.png" 2>/dev/null || return 1
  convert "$work/shot.png" -colorspace Gray -format '%[fx:mean]' info:
}

# A private X server that does not reset between clients (xdotool and import come and go).
Xvfb $display -screen 0 1280x1024x24 -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 50); do DISPLAY=$display xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

mkdir -p "$work/base/tex" "$work/base/menu"
cp "$run_dir/base/tex/console.tex" "$work/base/tex/" 2>/dev/null
cp "$run_dir/base/menu/arrow.tex" "$work/base/menu/" 2>/dev/null
printf '[ARU]\nIsSetup=1\nFullScreen=0\n' > "$work/base/config.cfg"
log="$work/base/errlog.html"

(cd "$work" && DISPLAY=$display ARU_VIDEO=gl SDL_VIDEODRIVER=x11 ALSOFT_DRIVERS=null exec "$probe") \
  > "$work/out.txt" 2>&1 &
probe_pid=$!
wait_for "$log" "Probe scene ready" 30 || fail "the probe scene did not start"
sleep 1.5
window=$(DISPLAY=$display xdotool search --name "Console Probe" | head -n 1)
[ -n "$window" ] || fail "no probe window"
DISPLAY=$display xdotool windowfocus --sync "$window" 2>/dev/null
sleep 0.5

DISPLAY=$display import -window root "${CONSOLE_E2E_SHOTS:-$work}/before.png"
closed=$(brightness 1280x400+0+0) || fail "no screenshot"
DISPLAY=$display xdotool key --window "$window" grave
sleep 1
DISPLAY=$display import -window root "${CONSOLE_E2E_SHOTS:-$work}/after.png"
opened=$(brightness 1280x400+0+0) || fail "no screenshot"
echo "top of the screen: closed $closed, open $opened"
# A window that shows nothing at all (not even the white GUI button) means the device does not
# present yet: nothing here can be judged.
if [ "$closed" = 0 ] && [ "$opened" = 0 ]; then
  echo "the probe window shows no picture at all: skipping"
  exit 77
fi
# The panel is a dark, translucent picture: it shows as a clear relative rise in brightness.
awk -v a="$closed" -v b="$opened" 'BEGIN { exit !(b > 3 * a && b > a + 0.004) }' || fail "the console panel did not appear"

DISPLAY=$display xdotool type --window "$window" --delay 40 "add 2 40"
DISPLAY=$display xdotool key --window "$window" Return
wait_for "$log" "Console answered: sum 42" 10 || fail "the command was not answered"
DISPLAY=$display xdotool type --window "$window" --delay 40 "nothing here"
DISPLAY=$display xdotool key --window "$window" Return
sleep 0.5
typed=$(brightness 1280x400+0+0)
echo "top of the screen after the answers: $typed"

# Close the console and click the button under the software cursor (parked at the centre).
DISPLAY=$display xdotool key --window "$window" Escape
sleep 0.5
DISPLAY=$display xdotool click --window "$window" 1
for _ in $(seq 1 100); do kill -0 $probe_pid 2>/dev/null || break; sleep 0.1; done
kill -0 $probe_pid 2>/dev/null && fail "the button click did not end the probe"
wait $probe_pid
probe_pid=
grep -qF "GUI button clicked" "$log" || fail "the log lacks the button click"
grep -qF "Closing configuration file with exitcode 1" "$log" || fail "the probe did not shut down cleanly"
echo "PASS"
