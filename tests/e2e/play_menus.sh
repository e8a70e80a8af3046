#!/usr/bin/env bash
# The menu scenes under Xvfb, driven as a player would with xdotool: a click skips the intro,
# the main menu's New Game and then Easy lead to the pick screen, Back returns to the menu, the options page opens and closes,
# the console's "credits" command shows the credits, Escape returns to the menu and
# Escape ends the program. Checks the log's scene changes and that each screenshot shows a
# picture (not one flat colour). Skips (77) without xvfb-run, xdotool or ImageMagick.
set -u
run_dir=$(cd "$1" && pwd)
source_dir=${2:-$(cd "$(dirname "$0")/../.." && pwd)}
game="$run_dir/rallix-game"
for tool in xvfb-run xdotool import convert; do
  command -v $tool >/dev/null || { echo "skip: $tool is missing"; exit 77; }
done
[ -x "$game" ] || { echo "no game at $game"; exit 1; }
[ -d "$run_dir/base" ] || { echo "no game data at $run_dir/base"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$run_dir/base" "$work/base"
rm -f "$work/base/errlog.html"
printf '[ARU]\nIsSetup=1\nFullScreen=0\n\n[Pong]\nMusic=0\nSFX=1\nGUIS=4.000000\nDebug=1\n' > "$work/base/config.cfg"
shots=${MENU_SHOTS_DIR:-$work/shots}
mkdir -p "$shots"

cat > "$work/drive.sh" <<'INNER'
set -u
game=$1; work=$2; shots=$3
log="$work/base/errlog.html"
fail() { echo "FAIL: $*"; kill $pid 2>/dev/null; exit 1; }
scenes() { grep -o 'Initialized scene ' "$log" 2>/dev/null | wc -l; }
wait_scenes() {  # wait_scenes <count> <seconds>
  for _ in $(seq 1 $(( $2 * 10 ))); do
    [ "$(scenes)" -ge "$1" ] && return 0
    kill -0 $pid 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
# A screenshot must hold a picture: many colours over the screen. The first frames of a slow
# start may still be black, so it is retried for a while.
shot() {
  local colours=0
  for _ in $(seq 1 30); do
    import -window root "$shots/$1.png" || fail "no screenshot $1"
    colours=$(convert "$shots/$1.png" -format '%k' info:)
    [ "$colours" -gt 256 ] && break
    sleep 0.5
  done
  [ "$colours" -gt 256 ] || fail "screenshot $1 is blank ($colours colours)"
  echo "screenshot $1: $colours colours"
}
# The menu cursor moves by the mouse's offset from the window centre times 0.4 (GUI
# sensitivity 4 on a 1280-pixel-wide back buffer): push it into the bottom-left corner, then
# move it to (x, y) of the 1280 x 1024 screen, y up.
cursor_to() {
  for _ in $(seq 1 12); do xdotool mousemove_relative -- -200 200; sleep 0.08; done
  local dx=$(( $1 * 10 / 4 )) dy=$(( $2 * 10 / 4 ))
  while [ $dx -gt 0 ] || [ $dy -gt 0 ]; do
    local sx=$(( dx > 100 ? 100 : dx )) sy=$(( dy > 100 ? 100 : dy ))
    xdotool mousemove_relative -- $sx -$sy
    dx=$(( dx - sx )); dy=$(( dy - sy ))
    sleep 0.12
  done
  sleep 0.4
}
click() { xdotool click 1; sleep 0.2; }
# A busy machine can lose a mouse step between the game's read and its re-centring: a click
# that should change the scene is tried again from the corner.
click_until() {  # click_until <scene count> <x> <y>
  for _ in 1 2 3 4; do
    cursor_to $2 $3; click
    wait_scenes $1 5 && return 0
  done
  return 1
}

(cd "$work" && exec "$game") > "$work/out.txt" 2>&1 &
pid=$!
wait_scenes 1 30 || { cat "$work/out.txt"; fail "the intro did not start"; }
window=$(xdotool search --sync --name "Quillmark Rallix" | head -1)
[ -n "$window" ] || fail "no game window"
xdotool windowactivate "$window" 2>/dev/null; xdotool windowfocus "$window" 2>/dev/null
sleep 1.5
shot intro
click
wait_scenes 2 10 || fail "a click during the intro did not open the main menu"
sleep 1.5  # the splash picture fades in over one second
shot menu
cursor_to 640 580; click  # New Game
sleep 0.5
shot difficulty
# Easy lies where New Game was, so a lost New Game click is made up by the retries.
click_until 3 640 580 || fail "Easy did not open the pick screen"
sleep 1.5
shot pick
click_until 4 50 50 ||    # Back
  fail "Back on the pick screen did not return to the main menu"
sleep 1.5
cursor_to 640 320; click  # Options
sleep 0.5
shot options
cursor_to 50 50; click    # Back to the main page, within the same scene
[ "$(scenes)" -eq 4 ] || fail "the options page changed the scene"
# The debug command "credits" from the console; Escape leaves the credits for the menu.
xdotool key grave; sleep 0.5
xdotool type --delay 80 credits; sleep 0.3
xdotool key Return; sleep 0.3
xdotool key grave
wait_scenes 5 10 || fail "the credits command did not open the credits"
sleep 6  # the list scrolls in from the bottom
shot credits
xdotool keydown Escape; sleep 0.5; xdotool keyup Escape
wait_scenes 6 10 || fail "Escape did not leave the credits"
sleep 1.5
xdotool keydown Escape; sleep 0.5; xdotool keyup Escape
for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && fail "Escape on the main menu did not end the program"
wait $pid || fail "exit status $?"
echo "scene changes: $(scenes)"
INNER

# A private runtime folder: copies of the game run by other tests must not count as a first
# instance (a second instance writes no log).
mkdir -p "$work/runtime"; chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$source_dir/tests/lsan.supp}
export ARU_VIDEO=gl SDL_VIDEODRIVER=x11 ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy
xvfb-run -a -s '-screen 0 1280x1024x24' bash "$work/drive.sh" "$game" "$work" "$shots"
status=$?
[ $status -eq 0 ] || { echo "--- game output"; tail -n 30 "$work/out.txt"; }
exit $status
