#!/usr/bin/env bash
# The configuration tool end to end. Without a display it refuses to start. Under Xvfb the real
# dialog (on the null video device, whose adapter lists several modes) is driven with xdotool:
# Full Screen off, another resolution and colour format, Exit answered with Cancel, Launch; the
# settings file must hold every saved key in order and the program named by EXE must have run.
# Last, the game's safe-mode path starts the real tool on OpenGL, the tool saves a full-screen
# mode, and the game's next start is a normal one with that mode.
# Arguments: <run dir> [source dir] [folder to keep the screenshots in]
set -u
run_dir=$(cd "${1:?run directory}" && pwd) || exit 1
source_dir=$(cd "${2:-$(dirname "$0")/../..}" && pwd) || exit 1
tool="$run_dir/aruConfig"
game="$run_dir/rallix-game"
fail() { echo "FAIL: $*"; [ -n "${pid:-}" ] && kill $pid 2>/dev/null; exit 1; }
[ -x "$tool" ] || fail "no aruConfig at $tool"

if [ -z "${CONFIG_E2E_WORK:-}" ]; then
  for program in xvfb-run xdotool import convert; do
    command -v $program >/dev/null || { echo "skip: $program is missing"; exit 77; }
  done
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$tool" 2>&1)
  status=$?
  [ $status -ne 0 ] || fail "without a display the tool ended with status 0"
  echo "$out" | grep -qi "display" || fail "without a display the tool did not say so: $out"
  echo "no display: status $status, \"$out\""

  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  shots=${3:-$work/shots}
  mkdir -p "$shots"
  export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$source_dir/tests/lsan.supp}
  export ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=x11
  CONFIG_E2E_WORK=$work CONFIG_E2E_SHOTS=$shots \
    xvfb-run -a -s '-screen 0 1280x1024x24 -noreset' bash "$0" "$run_dir" "$source_dir"
  exit $?
fi

work=$CONFIG_E2E_WORK
shots=$CONFIG_E2E_SHOTS

# Starts the tool (or the game that starts it) in folder $1 and waits for the dialog's controls.
wait_for_dialog() {
  geometry="$1/geometry"
  for _ in $(seq 1 150); do
    [ "$({ wc -l < "$geometry"; } 2>/dev/null || echo 0)" -ge 16 ] && break
    sleep 0.2
  done
  [ "$({ wc -l < "$geometry"; } 2>/dev/null || echo 0)" -ge 16 ] || fail "the dialog did not open"
  window=$(xdotool search --name "Quillmark ARU Configuration Utility" | head -1)
  [ -n "$window" ] || fail "no window with the dialog's caption"
  sleep 0.5
}
centre() { awk -v id=$1 '$1 == id { print int($2 + $4 / 2), int($3 + $5 / 2) }' "$geometry"; }
click_control() {
  local position
  position=$(centre $1)
  [ -n "$position" ] || fail "control $1 is not shown"
  xdotool mousemove $position click 1
  sleep 0.6
}
# choose <list id> <item>: opens the drop list, closes it again (the list keeps the focus) and
# moves to the item with the keyboard, as a user may.
choose() {
  click_control $1
  xdotool key Escape; sleep 0.3
  xdotool key Home; sleep 0.3
  for _ in $(seq 1 $2); do xdotool key Down; sleep 0.3; done
}
shot() {
  import -window root "$shots/$1.png" || fail "no screenshot $1"
  local colours
  colours=$(convert "$shots/$1.png" -format '%k' info:)
  [ "$colours" -gt 16 ] || fail "screenshot $1 is blank ($colours colours)"
  echo "screenshot $1: $colours colours"
}
wait_exit() {  # wait_exit <seconds>: the process $pid must end with status 0
  for _ in $(seq 1 $(( $1 * 10 ))); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  kill -0 $pid 2>/dev/null && fail "process $pid did not end"
  wait $pid || fail "exit status $?"
}
keys() { sed -n '/^\[ARU\]/,/^\[/p' "$1" | grep '=' | cut -d= -f1 | tr '\n' ' '; }
value() { sed -n '/^\[ARU\]/,/^\[/p' "$1" | grep "^$2=" | cut -d= -f2-; }

# --- 1. The dialog on the null video device.
a="$work/a"
mkdir -p "$a/base"
printf '#!/bin/sh\necho started > "%s/game-ran"\n' "$a" > "$a/fake-game"
chmod +x "$a/fake-game"
printf '[ARU]\nEXE=%s\n' "$a/fake-game" > "$a/base/config.cfg"
(cd "$a" && ARU_VIDEO=null ARUCONFIG_GEOMETRY="$a/geometry" exec "$tool") > "$a/out.txt" 2>&1 &
pid=$!
wait_for_dialog "$a"
shot dialog_opened
click_control 1002                 # Full Screen off: the lists are refilled for a window
choose 1009 1                      # 1024x768@60hz
choose 1017 1                      # "32-bit X8, A8": the mode is kept by its text
shot dialog_changed
click_control 1001                 # Exit, then Cancel keeps the dialog
sleep 0.5
shot exit_question
xdotool key Escape; sleep 0.6
kill -0 $pid 2>/dev/null || fail "Cancel on the exit question closed the dialog"
grep -q '^Adapter=' "$a/base/config.cfg" && fail "Cancel saved the settings"
click_control 1000                 # Launch
wait_exit 10
for _ in $(seq 1 50); do [ -e "$a/game-ran" ] && break; sleep 0.1; done
[ -e "$a/game-ran" ] || fail "the program named by EXE did not run"
expected="EXE Adapter Device Format BackBuffer UseAA Samples Quality1 Quality2 AAIndex FullScreen ShowFPS \
Resolution ResIndex FormIndex DevIndex AdapIndex IsSetup HasPure DXTN Filter FiltIndex "
[ "$(keys "$a/base/config.cfg")" = "$expected" ] || { cat "$a/base/config.cfg"; fail "keys out of order"; }
for pair in Adapter=0 Device=1 Format=22 BackBuffer=21 FullScreen=0 Resolution=2 ResIndex=1 FormIndex=1 \
            IsSetup=1 Filter=3 FiltIndex=0 UseAA=0; do
  [ "$(value "$a/base/config.cfg" ${pair%%=*})" = "${pair#*=}" ] || { cat "$a/base/config.cfg"; fail "not $pair"; }
done
echo "dialog: saved $(keys "$a/base/config.cfg" | wc -w) keys in order, EXE ran"

# --- 2. The game's safe-mode path starts the tool; its save makes the next start a normal one.
[ -x "$game" ] && [ -d "$run_dir/base" ] || fail "no game or game data in $run_dir"
b="$work/b"
mkdir -p "$b"
cp -r "$run_dir/base" "$b/base"
rm -f "$b/base/errlog.html"
printf '%s\n' '[ARU]' IsSetup=2 FullScreen=0 Format=22 BackBuffer=22 '' '[Pong]' Name=Tester Music=0 SFX=1 \
  GUIS=4.000000 Debug=1 > "$b/base/config.cfg"
mkdir -p "$work/runtime" && chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
(cd "$b" && ARU_VIDEO=gl ARU_MESSAGEBOX=yes ARUCONFIG_GEOMETRY="$b/geometry" exec "$game") > "$b/game.txt" 2>&1 &
pid=$!
wait_exit 30
grep -q "Safe Mode" "$b/game.txt" || fail "the game did not ask the safe-mode question"
[ "$(value "$b/base/config.cfg" IsSetup)" = 0 ] || fail "the game did not leave IsSetup=0"
wait_for_dialog "$b"
pid=$(xdotool getwindowpid "$window" 2>/dev/null || pgrep -n -x aruConfig)
shot safe_mode_dialog
click_control 1002                 # Full Screen on
choose 1017 1                      # "32-bit X8, A8"
click_control 1000                 # Launch: the "Configuration Successful" box is answered
for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && fail "the tool did not end after Launch"
grep -q "Configuration Successful" "$b/game.txt" || fail "no confirmation after Launch"
for pair in IsSetup=1 FullScreen=1 Format=22 BackBuffer=21; do
  [ "$(value "$b/base/config.cfg" ${pair%%=*})" = "${pair#*=}" ] || { cat "$b/base/config.cfg"; fail "not $pair"; }
done

rm -f "$b/base/errlog.html"
(cd "$b" && ARU_VIDEO=gl exec "$game") > "$b/game2.txt" 2>&1 &
pid=$!
log="$b/base/errlog.html"
for _ in $(seq 1 300); do grep -qF "Let's Go!" "$log" 2>/dev/null && break; sleep 0.1; done
grep -qF "Let's Go!" "$log" || { tail -20 "$b/game2.txt"; fail "the game did not start normally"; }
for line in "Windowed: false" "BackBufferFormat: 21" "BackBufferWidth: 1280" "BackBufferHeight: 1024"; do
  grep -qF "$line" "$log" || fail "the log lacks \"$line\""
done
grep -qF "Safe Mode" "$b/game2.txt" && fail "the second start asked the safe-mode question"
kill -TERM $pid
wait_exit 20
echo "safe mode: the tool ran, the game then started full screen 1280x1024 with back buffer 21"
echo "ok"
