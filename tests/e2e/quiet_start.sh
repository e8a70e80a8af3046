#!/usr/bin/env bash
# A normal start under Xvfb, as a player would make it: the intro, a click to the main menu and
# Escape to quit write nothing to standard error. The platform's notes on what it cannot draw
# exactly land in the log instead, each at most once. Skips (77) without xvfb-run or xdotool.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/tools/drive_lib.sh"
drive_start "$0" "" "$@"

unset ARU_DEBUG
(cd "$work" && exec "$game") > "$work/out.txt" 2> "$work/err.txt" &
pid=$!
wait_scenes 1 30 || fail "the intro did not start"
window=$(xdotool search --sync --name "Quillmark Rallix" 2>/dev/null | head -1)
[ -n "$window" ] || fail "no game window"
xdotool windowactivate "$window" 2>/dev/null; xdotool windowfocus "$window" 2>/dev/null
sleep 1.5
click
wait_scenes 2 10 || fail "a click during the intro did not open the main menu"
sleep 2
quit_from_menu

if [ -s "$work/err.txt" ]; then
  echo "--- standard error"; cat "$work/err.txt"
  fail "a normal start wrote to standard error"
fi
notes=$(grep -o 'Debug: [^<]*' "$log")
echo "notes in the log: $(printf '%s' "$notes" | grep -c .)"
repeated=$(printf '%s\n' "$notes" | sort | uniq -d)
[ -z "$repeated" ] || fail "notes logged more than once: $repeated"
echo "quiet start: nothing on standard error"
