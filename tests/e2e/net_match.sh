#!/usr/bin/env bash
# Two copies of the game on one machine, each on its own virtual display, driven with xdotool as
# two players would: the host opens the network page and creates a game with a password; the
# joining side's empty host box is filled by the waiting host found on the local network; it
# connects to 127.0.0.1 with the port and the password; both consoles show the handshake; a chat
# line typed on each side reaches the other; the host sets the max score to 3 and starts; the
# attract mode ("demo") plays both near paddles until the match ends; both show the standings;
# the joining side leaves with Escape, the host is back to waiting and "lan" lists it. Then a
# wrong password and a port where nobody listens. Console lines are read from standard output
# (ARU_CONSOLE_ECHO=1). NET_SHOTS_DIR=<folder> keeps the screenshots; NET_MAX_SCORE=<n> plays
# a longer match (for more timing samples). Skips (77) without Xvfb,
# xdotool or ImageMagick.
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

# drive_lib's cursor_to in one xdotool process, as every process start is slow on a busy machine,
# and pushed far enough to reach the corner from anywhere (16 x 80 units > 1280).
cursor_to() {
  local steps=() dx=$(( $1 * 10 / 4 )) dy=$(( $2 * 10 / 4 ))
  for _ in $(seq 1 16); do steps+=(mousemove_relative -- -200 200 sleep 0.08); done
  while [ $dx -gt 0 ] || [ $dy -gt 0 ]; do
    local sx=$(( dx > 100 ? 100 : dx )) sy=$(( dy > 100 ? 100 : dy ))
    steps+=(mousemove_relative -- $sx -$sy sleep 0.12)
    dx=$(( dx - sx )); dy=$(( dy - sy ))
  done
  xdotool "${steps[@]}"
  sleep 0.4
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
# box_area <x> <y> <width>: a text box's region on the screen as WxH+X+Y, from its top-left corner
# and width in the 1280 x 1024 design space (y up), with a margin.
box_area() {
  local left=$(( window_X + window_WIDTH * ($1 > 10 ? $1 - 10 : 0) / 1280 ))
  local top=$(( window_Y + window_HEIGHT * (1024 - $2 - 12) / 1024 ))
  echo "$(( window_WIDTH * ($3 + 30) / 1280 ))x$(( window_HEIGHT * 50 / 1024 ))+$left+$top"
}
# set_box <x> <y> <width> <characters to clear> <text> [focused]: clicks into the box, clears it
# and types. Each step is checked on screenshots of the box alone: the click and the clearing
# change it (the old text goes, or the caret of an empty box appears), the typing changes it
# again. A click that a busy machine lost (the cursor moves by relative steps) or a lost key
# starts the box again. "focused": the box already has the focus and is empty (the chat box of a
# match scene), so the first try only types.
set_box() {
  local region=$(box_area $1 $2 $3) focused=${6:-}
  for try in 1 2 3 4 5 6; do
    if [ -n "$focused" ]; then
      focused=
      grab box_cleared
    else
      # Into the box, clear of its left end, where the caret of an emptied box is drawn.
      cursor_to $(( $1 + ($3 / 2 < 150 ? $3 / 2 : 150) )) $(( $2 - 12 ))
      sleep 0.4
      grab box_before
      click
      clear_box $4
      sleep 0.6
      grab box_cleared
      if [ "$(changed_pixels box_before box_cleared $region)" -le 6 ]; then
        echo "$side: the box at $1, $2 did not take the click (try $try)"
        continue
      fi
    fi
    type_text "$5"
    sleep 0.6
    grab box_typed
    [ "$(changed_pixels box_cleared box_typed $region)" -gt 6 ] && return 0
    echo "$side: the text did not reach the box at $1, $2 (try $try)"
  done
  fail "$side: could not type into the box at $1, $2"
}
# click_changes <x> <y>: clicks at (x, y) until most of the window changes, as when the main menu
# turns to another page of the same scene. A slow frame can show the change late, so it is waited
# for before the click is given again (a second click would land on the new page).
click_changes() {
  local region=$(area 0 0 100 100)
  for try in 1 2 3 4; do
    cursor_to $1 $2
    sleep 0.4
    grab page_before
    click
    for _ in 1 2 3 4 5 6; do
      sleep 0.8
      grab page_after
      [ "$(changed_pixels page_before page_after $region)" -gt 5000 ] && return 0
    done
    echo "$side: the click at $1, $2 changed nothing (try $try)"
  done
  return 1
}
clear_box() { xdotool key --delay 40 $(printf 'BackSpace %.0s' $(seq 1 ${1:-25})); }
# A screenshot for a comparison only (shot also waits for a drawn picture and counts colours).
grab() { import -window root "$shots/$1.png" || fail "no screenshot $1"; }

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
  click_changes 640 450 || fail "$s: Multiplayer did not open the network page"
done

echo "$SECONDS s: both on the network page"
# The host: Create Game on the network page, a password, Create Game.
use host
click_until 3 640 580 || fail "host: Create Game on the network page did not open the host set-up"
sleep 1.5
shot scene6
set_box 360 400 200 15 pw42
click_until 4 1080 50 || fail "host: Create Game did not open the host's match scene"
wait_seen "Listening on port $port." 10 || fail "host: not listening on port $port"
seen "Game is password protected." || fail "host: no password line"
sleep 2
shot scene8_waiting

# The joining side: Connect; its empty host box is filled by the host found on the local network
# (by the loopback or the machine's own broadcast address); then it types the host, the password
# (the port box holds the configured port) and connects.
use join
click_until 3 640 450 || fail "join: Connect on the network page did not open the join set-up"
wait_seen "Found a game on the local network: " 5 || fail "join: the waiting host was not found"
found=$(grep -o 'Found a game on the local network: .*' "$out" | head -1)
echo "join: $found"
[[ $found == *", port $port)."* ]] || fail "join: the host was found on another port"
sleep 1
shot scene7_found
set_box 360 530 420 25 127.0.0.1
set_box 360 400 200 15 pw42
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

echo "$SECONDS s: connected"
# A chat line typed on each side reaches the other.
for s in host:join join:host; do
  from=${s%%:*} to=${s##*:}
  use $from
  set_box 0 40 700 64 "hello from $from" focused
  shot chat_$from
  # A slow software-drawn frame can take a fifth of a second: Enter is held past one.
  hold_key Return 0.6
  use $to
  wait_seen "hello from $from" 10 || fail "$to: the chat line of $from did not arrive"
done

# The host: max score 3, Let's Go; the attract mode serves and plays both near paddles.
goals=${NET_MAX_SCORE:-3}
use host
set_box 320 535 60 3 $goals
started=no
for _ in 1 2 3; do
  use host; cursor_to 1140 90; click
  use join; wait_seen "First to $goals wins!" 8 && { started=yes; break; }
done
[ $started = yes ] || fail "join: the match did not start"
echo "$SECONDS s: the match started"
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
[ "$hs" = $goals ] || [ "$js" = $goals ] || fail "nobody reached $goals goals ($hs : $js)"
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

echo "$SECONDS s: the match is over"
# The joining side leaves with Escape; the host is back to waiting.
use join
until_seen_scene() { wait_scenes 5 2; }
press_until Escape 0.4 until_seen_scene || fail "join: Escape did not return to the join set-up"
use host
wait_seen "Joiner disconnected." 15 || fail "host: the departure was not noticed"
sleep 1.5
shot scene8_waiting_again

# The console command "lan" on the join screen lists the host, waiting again.
use join
console_command lan
wait_seen ":$port (" 5 || fail "join: \"lan\" did not list the waiting host"
grep -A3 "Games on the local network" "$out" | head -4

# A wrong password: the refusal line and back to the join screen.
use join
sleep 1.5
set_box 360 400 200 15 wrong
click_until 6 1100 50 || fail "join: Connect did not open the match scene again"
wait_seen "Connect Failed: Incorrect Password." 10 || fail "join: no wrong-password line"
wait_scenes 7 10 || fail "join: not back on the join screen after the refusal"

# Nobody listening on the port (the port after the host's discovery port): the no-connection
# line within 10 seconds.
sleep 1.5
set_box 360 465 90 6 $(( port + 2 ))
click_until 8 1100 50 || fail "join: Connect did not open the match scene the third time"
start=$(date +%s)
wait_seen "Connect Failed: No communication link was established." 10 ||
  fail "join: no no-connection line within 10 s"
echo "no-connection line after $(( $(date +%s) - start )) s"
wait_scenes 9 10 || fail "join: not back on the join screen after the failed connect"
echo "PASS after $SECONDS s"
