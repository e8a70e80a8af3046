#!/usr/bin/env bash
# A real window under Xvfb: the probe program opens it through CreateWindowA and prints every
# message its window procedure gets; xdotool types keys and characters (the grave accent too),
# moves focus away and back, moves the window and clicks in it; the printed messages must be
# the ones Windows would send. Usage: window_messages.sh <run-dir> <source-dir>.
set -u
run_dir=${1:?run directory}
source_dir=${2:-$(cd "$(dirname "$0")/../.." && pwd)}
# System libraries keep some allocations for the life of the process.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$source_dir/tests/lsan.supp}
probe=$run_dir/window_probe
if ! command -v xvfb-run >/dev/null || ! command -v xdotool >/dev/null; then
  echo "xvfb-run or xdotool missing: skipped"
  exit 77
fi
if [ ! -x "$probe" ]; then
  echo "probe program $probe was not built"
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat > "$work/inner.sh" <<'INNER'
set -u
probe=$1 work=$2
unset ARU_VIDEO
export SDL_VIDEODRIVER=x11 XDG_RUNTIME_DIR=$work

wait_for() {  # wait_for <file> <pattern>: up to 10 s for a line matching pattern
  for _ in $(seq 100); do grep -q -- "$2" "$1" 2>/dev/null && return 0; sleep 0.1; done
  echo "timed out waiting for '$2' in $1"; return 1
}

"$probe" "Window Probe" 60 > "$work/probe.log" 2>&1 &
probe_pid=$!
wait_for "$work/probe.log" '^READY' || exit 1
wait_for "$work/probe.log" '^WM_SETFOCUS' || exit 1
wid=$(xdotool search --name '^Window Probe$' | head -1)
[ -n "$wid" ] || { echo "probe window not found"; exit 1; }

mark() { echo "MARK $1" >> "$work/marks"; sleep 0.3; cp "$work/probe.log" "$work/after-$1.log"; }

xdotool key --delay 50 a grave shift+2 Return
mark keys
xdotool key --delay 50 alt+Return
mark alt

"$probe" "Other Probe" 20 > "$work/other.log" 2>&1 &
other_pid=$!
wait_for "$work/other.log" '^READY' || exit 1
other=$(xdotool search --name '^Other Probe$' | head -1)
xdotool windowfocus --sync "$other"
mark focus_away
xdotool windowfocus --sync "$wid"
mark focus_back
kill -TERM "$other_pid"; wait "$other_pid"

xdotool windowmove --sync "$wid" 200 150
mark move
xdotool mousemove --window "$wid" 10 20 click 1
mark click

kill -TERM "$probe_pid"
wait "$probe_pid"
echo "probe exit code $?" >> "$work/probe.log"
INNER

xvfb-run -a -s '-screen 0 1280x1024x24 -noreset' bash "$work/inner.sh" "$probe" "$work"
status=$?
log=$work/probe.log
echo "---- messages received by the probe's window procedure ----"
cat "$log" 2>/dev/null
[ $status -eq 0 ] || { echo "driving the probe failed ($status)"; exit 1; }

failures=0
# expect <log> <description> <regex>: the log must contain a matching line.
expect() {
  if grep -Eq -- "$3" "$1"; then echo "ok: $2"; else echo "FAILED: $2 (no line matching '$3')"; failures=$((failures + 1)); fi
}
# between <log> <description> <first regex> <second regex>: second follows first directly.
follows() {
  if grep -EA1 -- "$3" "$1" | grep -Eq -- "$4"; then echo "ok: $2"; else echo "FAILED: $2"; failures=$((failures + 1)); fi
}

keys=$work/after-keys.log
expect "$keys" "a key down is VK 'A'" '^WM_KEYDOWN wParam=0x41 lParam=0x001e0001'
follows "$keys" "a types 'a'" '^WM_KEYDOWN wParam=0x41 ' '^WM_CHAR wParam=0x61 '
expect "$keys" "grave key is VK_OEM_3" '^WM_KEYDOWN wParam=0xc0 lParam=0x00290001'
follows "$keys" "grave key types the grave accent" '^WM_KEYDOWN wParam=0xc0 ' '^WM_CHAR wParam=0x60 '
follows "$keys" "shift+2 types '@'" '^WM_KEYDOWN wParam=0x32 ' '^WM_CHAR wParam=0x40 '
follows "$keys" "Enter types carriage return" '^WM_KEYDOWN wParam=0xd ' '^WM_CHAR wParam=0xd '
expect "$keys" "key release is WM_KEYUP with transition bits" '^WM_KEYUP wParam=0x41 lParam=0xc01e0001'
alt=$work/after-alt.log
expect "$alt" "Alt itself is a system key" '^WM_SYSKEYDOWN wParam=0x12 .*alt=1'
expect "$alt" "Alt+Enter arrives as WM_KEYDOWN with Alt down" '^WM_KEYDOWN wParam=0xd lParam=0x201c0001 alt=1'
away=$work/after-focus_away.log
expect "$away" "losing focus sends WM_ACTIVATE inactive" '^WM_ACTIVATE wParam=0x0 '
expect "$away" "losing focus sends WM_KILLFOCUS" '^WM_KILLFOCUS'
back=$work/after-focus_back.log
[ "$(grep -c '^WM_SETFOCUS' "$back")" -ge 2 ] && echo "ok: focus back sends WM_SETFOCUS" \
  || { echo "FAILED: focus back sends WM_SETFOCUS"; failures=$((failures + 1)); }
move=$work/after-move.log
expect "$move" "moving the window sends WM_MOVE with the new position" '^WM_MOVE wParam=0x0 lParam=0x009600c8'
click=$work/after-click.log
expect "$click" "the pointer over the window sends WM_MOUSEMOVE" '^WM_MOUSEMOVE wParam=0x0 lParam=0x0014000a'
expect "$click" "a click sends WM_LBUTTONDOWN at the client point" '^WM_LBUTTONDOWN wParam=0x1 lParam=0x0014000a'
expect "$click" "and WM_LBUTTONUP" '^WM_LBUTTONUP wParam=0x0 lParam=0x0014000a'
expect "$log" "SIGTERM ends the probe through WM_DESTROY" '^WM_DESTROY'
expect "$log" "the probe's loop ended normally" '^probe exit code 0'

[ $failures -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all window message checks passed"
