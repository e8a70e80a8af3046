#!/usr/bin/env bash
# The menu scenes under Xvfb, driven as a player would with xdotool: a click skips the intro,
# the main menu's New Game and then Easy lead to the pick screen, Back returns to the menu, the
# options page opens and closes, the console's "credits" command shows the credits, Escape
# returns to the menu and Escape ends the program. Checks the log's scene changes and that each
# screenshot shows a picture (not one flat colour). MENU_SHOTS_DIR=<folder> keeps the
# screenshots. Skips (77) without xvfb-run, xdotool or ImageMagick.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/tools/drive_lib.sh"
drive_start "$0" "${MENU_SHOTS_DIR:-}" "$@"

launch_game
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
hold_key Escape 0.5
wait_scenes 6 10 || fail "Escape did not leave the credits"
sleep 1.5
quit_from_menu
