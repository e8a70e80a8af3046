#!/usr/bin/env bash
# A single-player match under Xvfb, played as a person would with xdotool: through the intro,
# the main menu, New Game, Easy and the pick screen's Let's Go into level 1; there the mouse
# moves the paddle, a click serves, Space pauses and resumes, C changes the camera, S saves a
# screenshot, Escape returns to the main menu and Escape ends the program. Checks the pictures
# of each step, the saved bitmap and the log's scene changes. MATCH_SHOTS_DIR=<folder> keeps the
# screenshots. Skips (77) without xvfb-run, xdotool or ImageMagick.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/tools/drive_lib.sh"
drive_start "$0" "${MATCH_SHOTS_DIR:-}" "$@"

launch_game
sleep 1
click
wait_scenes 2 10 || fail "a click during the intro did not open the main menu"
sleep 1.5
cursor_to 640 580; click  # New Game
sleep 0.5
click_until 3 640 580 || fail "Easy did not open the pick screen"
sleep 1.5
shot pick
click_until 4 1050 50 || fail "Let's Go on the pick screen did not start the match"
sleep 2

# Waiting for the serve. The score lines in the bottom-left corner are white text over the dark
# arena; the same strip on the right holds no text.
shot match_start
hud=$(area 0 86 30 13) strip=$(area 68 86 30 13)
hud_text=$(bright_pixels match_start $hud) strip_text=$(bright_pixels match_start $strip)
echo "white pixels: $hud_text in the score corner, $strip_text in the right strip"
[ "$hud_text" -gt 150 ] && [ "$strip_text" -lt $(( hud_text / 4 )) ] ||
  fail "no score text in the bottom-left corner"
brighter match_start $hud match_start $strip 5 ||
  fail "the score corner is not brighter than the arena"

# The paddle follows the mouse: pushed to the left wall, then to the right one (it stops at the
# walls, so a lost step does not matter). It sits halfway up, lit cyan over the dark arena.
for _ in $(seq 1 8); do xdotool mousemove_relative -- -100 0; sleep 0.1; done
sleep 0.5
shot paddle_left
for _ in $(seq 1 14); do xdotool mousemove_relative -- 100 0; sleep 0.1; done
sleep 0.5
shot paddle_right
left=$(area 2 45 16 10) right=$(area 82 45 16 10)
brighter paddle_left $left paddle_right $left 40 &&
  brighter paddle_right $right paddle_left $right 40 ||
  fail "the paddle did not follow the mouse from the left wall to the right one"

# The serve: before it only the ball's spin changes the arena; after it the ball flies, the
# crosshair shows where it will arrive and the far paddle follows. Each goal is a few seconds
# of play and five end the match, so the rally is kept short.
play=$(area 4 8 92 76)
shot waiting
still=$(changed_pixels paddle_right waiting $play)
served() {
  shot served
  moved=$(changed_pixels waiting served $play)
  [ "$moved" -gt $(( 3 * still + 300 )) ]
}
until_seen served mousedown 1 sleep 0.2 mouseup 1 || fail "a click did not serve"
echo "serve: $moved pixels changed (waiting: $still)"

# Space pauses: "Paused! Press Space..." in white across the middle. The match stays paused for
# the camera, so the picture changes by the view alone.
text=$(area 28 45 42 13)
text_before=$(bright_pixels served $text)
paused_shown() {
  shot paused
  text_paused=$(bright_pixels paused $text)
  [ "$text_paused" -gt $(( text_before + 150 )) ]
}
press_until space 0.12 paused_shown || fail "Space did not pause the match"
echo "pause text: $text_before white pixels before, $text_paused paused"

# C leaves the fixed view for the first-person one: the walls are seen from the paddle.
camera_changed() {
  shot camera
  turned=$(changed_pixels paused camera $play)
  [ "$turned" -gt $(( $(area_pixels $play) / 4 )) ]
}
press_until c 0.3 camera_changed || fail "C did not change the camera"
echo "camera: $turned of $(area_pixels $play) pixels changed"

# Space again resumes: the text goes.
text_camera=$(bright_pixels camera $text)
resumed() {
  shot resumed
  text_resumed=$(bright_pixels resumed $text)
  [ "$text_resumed" -lt $(( text_camera - 150 )) ]
}
press_until space 0.12 resumed || fail "Space did not resume the match"
echo "pause text: $text_camera white pixels paused, $text_resumed resumed"

# S pauses and writes the screen to base/shots/Shot.bmp: a bottom-up 24-bit bitmap of the back
# buffer, which in a window has the desktop's size.
bitmap="$work/base/shots/Shot.bmp"
saved() { grep -q 'Wrote screenshot to file' "$log" && [ -s "$bitmap" ]; }
press_until s 0.3 saved || fail "S did not save a screenshot"
field() { od -An -t u$2 -j $1 -N $2 "$bitmap" | tr -d ' '; }
size=$(stat -c %s "$bitmap") width=$(field 18 4) height=$(field 22 4)
echo "saved screenshot: $(head -c 2 "$bitmap") ${width}x${height}, $(field 28 2) bits, $size bytes"
[ "$(head -c 2 "$bitmap")" = BM ] && [ "$(field 10 4)" = 54 ] && [ "$(field 28 2)" = 24 ] ||
  fail "Shot.bmp is not a 24-bit bitmap"
[ "$width" = 1280 ] && [ "$height" = 1024 ] ||
  fail "Shot.bmp is ${width}x$height, not the desktop's size"
[ "$size" -eq $(( 54 + width * height * 3 )) ] || fail "Shot.bmp has $size bytes"
colours=$(convert "$bitmap" -format '%k' info:)
[ "$colours" -gt 256 ] || fail "Shot.bmp is blank ($colours colours)"
cp "$bitmap" "$shots/game_shot.bmp"
# The bitmap holds what the window shows (drawn at the back buffer's size and scaled into the
# window): scaled down, it matches a screenshot of the window but for the pause text and the
# frame rate; upside-down rows or a shifted picture would differ over much more.
shot after_save
whole="${window_WIDTH}x${window_HEIGHT}+0+0"
convert "$bitmap" -resize "${window_WIDTH}x${window_HEIGHT}!" "$shots/game_shot_small.png"
convert "$shots/after_save.png" -crop "${window_WIDTH}x${window_HEIGHT}+$window_X+$window_Y" \
  +repage "$shots/window_after_save.png"
differing=$(changed_pixels game_shot_small window_after_save $whole)
echo "saved screenshot against the window: $differing of $(area_pixels $whole) pixels differ"
[ "$differing" -lt $(( $(area_pixels $whole) * 4 / 100 )) ] ||
  fail "Shot.bmp does not show the window's picture"
[ "$(scenes)" -eq 4 ] || fail "the match ended before Escape ($(scenes) scenes)"

# Escape returns to the main menu; Escape there ends the program.
back() { [ "$(scenes)" -ge 5 ]; }
press_until Escape 0.3 back || fail "Escape did not leave the match"
sleep 1.5
shot menu_again
quit_from_menu

# The log: five scenes (intro, menu, pick screen, match, menu); the screenshot was written while
# the match was the present scene, which Escape then destroyed; the program closed cleanly.
sed 's/<[^>]*>//g' "$log" > "$work/log.txt"
[ "$(grep -c 'Initialized scene ' "$work/log.txt")" -eq 5 ] ||
  fail "the log does not show five scenes"
match=$(grep 'Initialized scene ' "$work/log.txt" | sed -n '4s/.*Initialized scene //p')
sed -n "/Initialized scene $match\$/,/Destroyed scene $match\$/p" "$work/log.txt" |
  grep -q 'Wrote screenshot to file "./base/shots/Shot.bmp"' ||
  fail "the log does not show the screenshot within the match scene"
grep -q 'Closing configuration file with exitcode 1' "$work/log.txt" ||
  fail "the program did not close cleanly"
echo "ok"
