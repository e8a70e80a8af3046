#!/usr/bin/env bash
# Two copies of the game on one machine, each on its own virtual display, driven with xdotool as
# two players would: the host opens the network page and creates a game with a password; the
# joining side connects to 127.0.0.1 with the port and the password; both consoles show the
# handshake; a chat line typed on each side reaches the other; the host sets the max score to 3
# and starts; the attract mode ("demo") plays both near paddles until the match ends; both show
# the standings; the joining side leaves with Escape and the host is back to waiting. Then a
# wrong password and a port where nobody listens. Console lines are read from standard output
# (ARU_CONSOLE_ECHO=1). NET_SHOTS_DIR=<folder> keeps the screenshots. Skips (77) without Xvfb,
# xdotool or ImageMagick.
# Not yet reliable on a loaded machine (typing into the boxes, matches of two computer paddles):
# runs only on request.
if [ "${RALLIX_NET_E2E:-0}" != 1 ]; then echo "skip: set RALLIX_NET_E2E=1 to run"; exit 77; fi
set -u
run_dir=$(cd "${1:?run directory}" && pwd) || exit 1
source_dir=$(cd "${2:-$(dirname "$0")/../..}" && pwd) || exit 1
for tool in Xvfb xdotool import convert; do
  command -v $tool >/dev/null || { echo "skip: $tool is missing"; exit 77; }
done
source "$source_dir/tests/e2e/tools/drive_lib.sh"
game="$run_dir/rallix-game"
[ -x "$game" ] && [ -d "$run_dir/base" ] || { echo "no game or game data in $run_dir"; exit 1; }

work=$(mktemp -d)
shots=${NET_SHOTS_DIR:-$work/shots}
mkdir -p "$shots"
declare -A DISP XPID GPID
cleanup() {
  for side in host join; do
    [ -n "${GPID[$side]:-}" ] && kill "${GPID[$side]}" 2>/dev/null
    [ -n "${XPID[$side]:-}" ] && kill "${XPID[$side]}" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT
port=$(( 21000 + RANDOM % 20000 ))
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$source_dir/tests/lsan.supp}
export ARU_VIDEO=gl SDL_VIDEODRIVER=x11 ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy
export ARU_CONSOLE_ECHO=1 ARU_BENCH=1

fail() {
  echo "FAIL: $*"
  for side in host join; do echo "--- $side output"; tail -n 25 "$work/$side/out.txt" 2>/dev/null; done
  exit 1
}

# Each side: its own copy of the data, configuration, runtime folder and X display.
prepare_side() {  # prepare_side <side> <player name>
  mkdir -p "$work/$1/runtime" && chmod 700 "$work/$1/runtime"
  cp -r "$run_dir/base" "$work/$1/base"
  rm -f "$work/$1/base/errlog.html"
  printf '%s\n' '[ARU]' IsSetup=1 FullScreen=0 Format=22 BackBuffer=22 '' '[Pong]' "Name=$2" \
    Music=0 SFX=0 GUIS=4.000000 Debug=2 "Port=$port" > "$work/$1/base/config.cfg"
  exec 5> "$work/$1/display"
  Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp > "$work/$1/xvfb.txt" 2>&1 &
  XPID[$1]=$!
  exec 5>&-
  for _ in $(seq 1 50); do [ -s "$work/$1/display" ] && break; sleep 0.1; done
  DISP[$1]=":$(head -1 "$work/$1/display")"
}

use() {  # the side the following drive_lib steps act on
  side=$1
  export DISPLAY=${DISP[$1]} XDG_RUNTIME_DIR=$work/$1/runtime
  log="$work/$1/base/errlog.html" out="$work/$1/out.txt" pid=${GPID[$1]:-}
  eval "$(cat "$work/$1/geometry" 2>/dev/null)"
}

start_side() {
  use $1
  (cd "$work/$1" && exec "$game") > "$work/$1/out.txt" 2>&1 &
  GPID[$1]=$! pid=$!
  wait_scenes 1 60 || fail "$1: the intro did not start"
  local window=
  for _ in $(seq 1 50); do
    window=$(xdotool search --name "Quillmark Rallix" 2>/dev/null | head -1)
    [ -n "$window" ] && break
    sleep 0.2
  done
  [ -n "$window" ] || fail "$1: no game window"
  xdotool windowactivate "$window" 2>/dev/null; xdotool windowfocus "$window" 2>/dev/null
  xdotool getwindowgeometry --shell "$window" | sed -n 's/^\(X\|Y\|WIDTH\|HEIGHT\)=/window_&/p' \
    > "$work/$1/geometry"
  use $1
}

seen() { grep -qF -- "$1" "$out"; }  # a console line (or script line) on the side's output
wait_seen() {  # wait_seen <text> <seconds>
  for _ in $(seq 1 $(( $2 * 10 ))); do seen "$1" && return 0; sleep 0.1; done
  return 1
}
# Two games drawn in software share the machine: a frame can take a fifth of a second, so the
# mouse button is held across one.
click() { xdotool mousedown 1 sleep 0.4 mouseup 1; sleep 0.3; }
type_text() { xdotool type --delay 60 "$1"; sleep 0.3; }
console_command() {
  xdotool key grave; sleep 0.4; type_text "$1"; xdotool key Return; sleep 0.4; xdotool key grave
  sleep 0.4
}
# type_into <x> <y> <text> <region x y w h in percent>: clicks the box and types; a click lost on
# a busy machine is noticed by the box's pixels not changing, and the box is tried again.
type_into() {
  local region=$(area $4 $5 $6 $7)
  for try in 1 2 3; do
    cursor_to $1 $2; click
    shot typing_before > /dev/null
    type_text "$3"
    sleep 0.5
    shot typing_after > /dev/null
    [ "$(changed_pixels typing_before typing_after $region)" -gt 20 ] && return 0
  done
  fail "$side: could not type into the box at $1, $2"
}
clear_box() { for _ in $(seq 1 ${2:-25}); do xdotool key BackSpace; sleep 0.03; done; }

prepare_side host Hosty
prepare_side join Joiner
echo "host on ${DISP[host]}, joining side on ${DISP[join]}, port $port"
start_side host
start_side join

for s in host join; do
  use $s
  sleep 1; click
  wait_scenes 2 15 || fail "$s: a click during the intro did not open the main menu"
  sleep 1
  console_command demo
  wait_seen "Attract mode on" 5 || fail "$s: the demo command did not turn the attract mode on"
  click_until 2 640 450 || true  # Multiplayer: the network page, same scene
done

# The host: Create Game on the network page, a password, Create Game.
use host
click_until 3 640 580 || fail "host: Create Game on the network page did not open the host set-up"
sleep 1.5
shot scene6
type_into 420 392 pw42 27 58 22 7
click_until 4 1080 50 || fail "host: Create Game did not open the host's match scene"
wait_seen "Listening on port $port." 10 || fail "host: not listening on port $port"
seen "Game is password protected." || fail "host: no password line"
sleep 2
shot scene8_waiting

# The joining side: Connect, host, password (the port box holds the configured port), Connect.
use join
click_until 3 640 450 || fail "join: Connect on the network page did not open the join set-up"
sleep 1.5
type_into 450 521 127.0.0.1 27 46 30 6
type_into 420 392 pw42 27 58 22 7
shot scene7
click_until 4 1100 50 || fail "join: Connect did not open the joining side's match scene"
wait_seen "Connected successfully. Identifying..." 10 || fail "join: no connect line"
wait_seen "is now known as Hosty" 10 || fail "join: the host's name did not arrive"
use host
wait_seen "is now known as Joiner" 10 || fail "host: the joining side's name did not arrive"
sleep 1.5
shot scene8_connected
use join
shot scene9_connected

# A chat line typed on each side reaches the other.
for s in host:join join:host; do
  from=${s%%:*} to=${s##*:}
  use $from
  type_into 200 31 "hello from $from" 0 94 40 6
  shot chat_$from
  # A slow software-drawn frame can take a fifth of a second: Enter is held past one.
  hold_key Return 0.6
  use $to
  wait_seen "hello from $from" 10 || fail "$to: the chat line of $from did not arrive"
done

# The host: max score 3, Let's Go; the attract mode serves and plays both near paddles.
use host
cursor_to 340 521; click; clear_box 3
type_into 340 521 3 24 46 8 6
started=no
for _ in 1 2 3; do
  use host; cursor_to 1140 90; click
  use join; wait_seen "First to 3 wins!" 8 && { started=yes; break; }
done
[ $started = yes ] || fail "join: the match did not start"
sleep 4
use host; shot scene8_running
use join; shot scene9_running
for s in host join; do
  use $s
  wait_seen "net match over" 150 || fail "$s: the match did not end"
done
sleep 2
use host; shot scene8_standings
use join; shot scene9_standings
host_line=$(grep -o 'net match over: .*' "$work/host/out.txt" | head -1)
join_line=$(grep -o 'net match over: .*' "$work/join/out.txt" | head -1)
echo "host: $host_line"; echo "join: $join_line"
read -r hs js <<< "$(sed -E 's/.*Hosty ([0-9]+), Joiner ([0-9]+)/\1 \2/' <<< "$host_line")"
read -r js2 hs2 <<< "$(sed -E 's/.*Joiner ([0-9]+), Hosty ([0-9]+)/\1 \2/' <<< "$join_line")"
[ "$hs" = "$hs2" ] && [ "$js" = "$js2" ] || fail "the two sides disagree on the scores"
[ "$hs" = 3 ] || [ "$js" = 3 ] || fail "nobody reached 3 goals ($hs : $js)"
# The standings block: white and green text at the upper right of both screens.
for pair in "scene8_standings" "scene9_standings"; do
  use host
  text=$(bright_pixels $pair $(area 69 10 30 28))
  echo "$pair: $text bright pixels in the standings block"
  [ "$text" -gt 300 ] || fail "$pair shows no standings"
done
grep -h "bench:" "$work/host/out.txt" "$work/join/out.txt" | grep -v "return at\|moving back at"
# The delay from each host return to the joining side's first frame showing the ball going back
# (both stamps are the machine's monotonic clock), paired within half a second.
returns=$(grep -o 'host return at [0-9.]*' "$work/host/out.txt" | awk '{print $4}')
seen_back=$(grep -o 'moving back at [0-9.]*' "$work/join/out.txt" | awk '{print $4}')
delays=$(for r in $returns; do
  for b in $seen_back; do awk -v r=$r -v b=$b 'BEGIN { if (b >= r && b - r < 500) print b - r }'; done |
    sort -n | head -1
done | sort -n)
count=$(echo "$delays" | grep -c .)
[ "$count" -gt 0 ] && echo "return-to-screen delay: median $(echo "$delays" |
  awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }') ms over $count returns" ||
  echo "return-to-screen delay: no host return in this match"

# The joining side leaves with Escape; the host is back to waiting.
use join
until_seen_scene() { wait_scenes 5 2; }
press_until Escape 0.4 until_seen_scene || fail "join: Escape did not return to the join set-up"
use host
wait_seen "Joiner disconnected." 15 || fail "host: the departure was not noticed"
sleep 1.5
shot scene8_waiting_again

# A wrong password: the refusal line and back to the join screen.
use join
sleep 1.5
cursor_to 420 392; click; clear_box
type_into 420 392 wrong 27 58 22 7
click_until 6 1100 50 || fail "join: Connect did not open the match scene again"
wait_seen "Connect Failed: Incorrect Password." 10 || fail "join: no wrong-password line"
wait_scenes 7 10 || fail "join: not back on the join screen after the refusal"

# Nobody listening on the port: the no-connection line within 10 seconds.
sleep 1.5
cursor_to 400 456; click; clear_box 6
type_into 400 456 $(( port + 1 )) 25 49 16 11
cursor_to 420 392; click; clear_box
click_until 8 1100 50 || fail "join: Connect did not open the match scene the third time"
start=$(date +%s)
wait_seen "Connect Failed: No communication link was established." 10 ||
  fail "join: no no-connection line within 10 s"
echo "no-connection line after $(( $(date +%s) - start )) s"
wait_scenes 9 10 || fail "join: not back on the join screen after the failed connect"
echo "PASS"
