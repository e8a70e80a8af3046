#!/usr/bin/env bash
# Attract mode end to end: ARU_DEMO=1 under Xvfb (or the offscreen driver without xvfb-run) plays
# a whole match to the results screen and ends by itself; the pictures of the match and the
# results exist and are not blank; a win at Easy on level 1 opens level 2 (bit 0 of its CStat),
# a loss opens nothing; the configuration file then holds the Pong keys in their order.
set -u
run_dir=$(cd "$1" && pwd)
game="$run_dir/rallix-game"
[ -x "$game" ] || { echo "no game at $game"; exit 1; }
pcf=$(ls "$run_dir/base" 2>/dev/null | grep -i '^default\.pcf$' | head -n 1)
[ -n "$pcf" ] || { echo "no game data in $run_dir/base"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; [ -f "$work/out.txt" ] && tail -n 30 "$work/out.txt"; exit 1; }

cp -r "$run_dir/base" "$work/base"
rm -rf "$work/base/config.cfg" "$work/base/shots"
# Level 2 starts locked, so the unlock comes from this run alone. The configuration file has no
# game keys, so the game writes them all itself (and the player's name stays empty).
sed -i '/^\[Level2\]/,/^\[/s/^CStat=.*/CStat=0/' "$work/base/$pcf"
printf '[ARU]\nIsSetup=1\nFullScreen=0\nFormat=22\nBackBuffer=22\n' > "$work/base/config.cfg"
export ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy ARU_DEMO=1 ARU_DEMO_SHOTS="$work/shots"
mkdir -p "$work/shots"

if command -v xvfb-run >/dev/null; then
  launcher=(xvfb-run -a -s '-screen 0 1280x1024x24')
else
  export SDL_VIDEODRIVER=offscreen
  launcher=()
fi
(cd "$work" && timeout 600 "${launcher[@]}" "$game") > "$work/out.txt" 2>&1
status=$?
[ $status -eq 0 ] || fail "the game ended with status $status"

grep -q "match over:" "$work/out.txt" || fail "no match was finished"
line=$(grep "match over:" "$work/out.txt" | head -n 1)
echo "$line"
log="$work/base/errlog.html"
grep -qF "Closing configuration file with exitcode 1" "$log" || fail "the run did not end cleanly"

for picture in menu match1 results1; do
  file="$work/shots/$picture.bmp"
  [ -s "$file" ] || fail "no picture $file"
  grep -qF "$file" "$work/out.txt" || fail "the path of $picture was not printed"
  python3 - "$file" <<'PY' || fail "$picture is blank"
import struct, sys
data = open(sys.argv[1], "rb").read()
assert data[:2] == b"BM"
offset = struct.unpack_from("<I", data, 10)[0]
pixels = data[offset:]
# More than a handful of distinct colours: a drawn scene, not a cleared screen.
colours = {pixels[i:i + 3] for i in range(0, len(pixels) - 3, 3 * 97)}
sys.exit(0 if len(colours) > 20 else 1)
PY
done

cstat=$(sed -n '/^\[Level2\]/,/^\[/p' "$work/base/$pcf" | sed -n 's/^CStat=//p' | tr -d '\r')
cstat=${cstat:-0}
goals=$(echo "$line" | sed -E 's/.*: .* ([0-9]+), .* ([0-9]+)$/\1 \2/')
player=${goals% *}
opponent=${goals#* }
if [ "$player" -gt "$opponent" ]; then
  [ $(( cstat & 1 )) -eq 1 ] || fail "a win did not open level 2 (CStat=$cstat)"
else
  [ $(( cstat & 1 )) -eq 0 ] || fail "a loss opened level 2 (CStat=$cstat)"
fi

keys=$(sed -n '/^\[Pong\]/,/^\[/p' "$work/base/config.cfg" | sed -n 's/=.*//p' | tr '\n' ' ')
expected="PS TexNum Name Port Server GUIS GUIG Cheater Music SFX Model 3DSound CChoice "
[ "$keys" = "$expected" ] || fail "Pong keys are '$keys'"
# RALLIX_E2E_KEEP=<folder> keeps the pictures and the output for a person to look at.
if [ -n "${RALLIX_E2E_KEEP:-}" ]; then
  mkdir -p "$RALLIX_E2E_KEEP" && cp "$work"/shots/*.bmp "$work/out.txt" "$RALLIX_E2E_KEEP"/
fi
echo "ok"
