# Helpers for the end-to-end scripts that play the game under Xvfb with xdotool as a person
# would. A script sources this file and calls drive_start first: outside Xvfb that prepares a
# working copy of the game data and runs the script again under xvfb-run, then exits with its
# status; under Xvfb it returns, and the script goes on to launch_game and its own steps.

# drive_start <script> <folder to keep the screenshots in, or ""> <run dir> [source dir]
drive_start() {
  if [ -n "${DRIVE_WORK:-}" ]; then
    game=$DRIVE_GAME work=$DRIVE_WORK shots=$DRIVE_SHOTS
    log="$work/base/errlog.html"
    return 0
  fi
  local script=$1 keep=$2
  local run_dir source_dir
  run_dir=$(cd "${3:?run directory}" && pwd) || exit 1
  source_dir=$(cd "${4:-$(dirname "$script")/../..}" && pwd) || exit 1
  for tool in xvfb-run xdotool import convert compare; do
    command -v $tool >/dev/null || { echo "skip: $tool is missing"; exit 77; }
  done
  game="$run_dir/rallix-game"
  [ -x "$game" ] || { echo "no game at $game"; exit 1; }
  [ -d "$run_dir/base" ] || { echo "no game data at $run_dir/base"; exit 1; }

  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cp -r "$run_dir/base" "$work/base"
  rm -f "$work/base/errlog.html"
  rm -rf "$work/base/shots" && mkdir "$work/base/shots"
  # A configuration as the set-up dialog leaves it for a 32-bit desktop, in a window.
  printf '%s\n' '[ARU]' IsSetup=1 FullScreen=0 Format=22 BackBuffer=22 '' '[Pong]' Name=Tester \
    Music=0 SFX=1 GUIS=4.000000 Debug=1 > "$work/base/config.cfg"
  shots=${keep:-$work/shots}
  mkdir -p "$shots"
  # A private runtime folder: copies of the game run by other tests must not count as a first
  # instance (a second instance writes no log).
  mkdir -p "$work/runtime" && chmod 700 "$work/runtime"
  export XDG_RUNTIME_DIR="$work/runtime"
  export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$source_dir/tests/lsan.supp}
  export ARU_VIDEO=gl SDL_VIDEODRIVER=x11 ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy
  DRIVE_WORK=$work DRIVE_GAME=$game DRIVE_SHOTS=$shots \
    xvfb-run -a -s '-screen 0 1280x1024x24' bash "$script"
  local status=$?
  [ $status -eq 0 ] || { echo "--- game output"; tail -n 30 "$work/out.txt"; }
  exit $status
}

fail() {
  echo "FAIL: $*"
  [ -n "${pid:-}" ] && kill $pid 2>/dev/null
  exit 1
}

scenes() { grep -o 'Initialized scene ' "$log" 2>/dev/null | wc -l; }
wait_scenes() {  # wait_scenes <count> <seconds>
  for _ in $(seq 1 $(( $2 * 10 ))); do
    [ "$(scenes)" -ge "$1" ] && return 0
    kill -0 $pid 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# Starts the game in the working copy and waits for the intro and its window, which gets the
# keyboard focus.
launch_game() {
  (cd "$work" && exec "$game") > "$work/out.txt" 2>&1 &
  pid=$!
  wait_scenes 1 30 || { cat "$work/out.txt"; fail "the intro did not start"; }
  window=
  for _ in $(seq 1 50); do
    window=$(xdotool search --name "Quillmark Rallix" 2>/dev/null | head -1)
    [ -n "$window" ] && break
    sleep 0.2
  done
  [ -n "$window" ] || fail "no game window"
  xdotool windowactivate "$window" 2>/dev/null; xdotool windowfocus "$window" 2>/dev/null
  eval "$(xdotool getwindowgeometry --shell "$window" |
    sed -n 's/^\(X\|Y\|WIDTH\|HEIGHT\)=/window_&/p')"
}

# area <x> <y> <width> <height>, in percent of the game window from its top-left corner: the
# region of the screen as WxH+X+Y for the picture measures below.
area() {
  echo "$(( window_WIDTH * $3 / 100 ))x$(( window_HEIGHT * $4 / 100 ))+$((
    window_X + window_WIDTH * $1 / 100 ))+$(( window_Y + window_HEIGHT * $2 / 100 ))"
}

# A screenshot of the screen as <name>.png must hold a picture: many colours. The first frames
# of a slow start may still be black, so it is retried for a while.
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

# Picture measures over a region WxH+X+Y of a screenshot (x right, y down from the top-left).
region_mean() {  # mean grey level, 0 to 255
  convert "$shots/$1.png" -crop "$2" +repage -colorspace Gray \
    -format '%[fx:int(255*mean+0.5)]' info:
}
bright_pixels() {  # pixels whose grey level is above 90 percent, as text is drawn white
  convert "$shots/$1.png" -crop "$2" +repage -colorspace Gray -threshold 90% \
    -format '%[fx:int(mean*w*h+0.5)]' info:
}
brighter() {  # brighter <shot> <region> <other shot> <other region> <margin>
  local mean=$(region_mean $1 $2) other=$(region_mean $3 $4)
  echo "mean grey: $1 $2: $mean, $3 $4: $other"
  [ "$mean" -gt $(( other + $5 )) ]
}
changed_pixels() {  # changed_pixels <shot a> <shot b> <region>: pixels that differ clearly
  compare -metric AE -fuzz 8% "$shots/$1.png[$3]" "$shots/$2.png[$3]" null: 2>&1 | cut -d' ' -f1
}
area_pixels() { local size=${1%%+*}; echo $(( ${size%x*} * ${size#*x} )); }

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

# The game reads the keyboard once a frame, so a key is held for a while (shorter than the
# binding's repeat interval, so it acts once).
hold_key() { xdotool keydown $1 sleep $2 keyup $1; }  # hold_key <key> <seconds>
# until_seen <check> <xdotool arguments...>: an input can still fall between two slow frames,
# so the check is tried for a while after the input and the input is given up to three times.
until_seen() {
  local check=$1
  shift
  for _ in 1 2 3; do
    xdotool "$@"
    for _ in 1 2 3; do
      sleep 0.3
      $check && return 0
    done
  done
  return 1
}
press_until() { until_seen "$3" keydown $1 sleep $2 keyup $1; }  # <key> <seconds held> <check>

# Escape on the main menu ends the program, which must exit with status 0.
quit_from_menu() {
  hold_key Escape 0.5
  for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  kill -0 $pid 2>/dev/null && fail "Escape on the main menu did not end the program"
  wait $pid || fail "exit status $?"
  echo "scene changes: $(scenes)"
}
