#!/usr/bin/env bash
# The Windows build under Wine: a fresh Wine prefix on Xvfb, sound to a null ALSA device, then
# rallix-game.exe plays one attract-mode match from a folder whose path holds a space. Checks
# from the log and the settings file: window and Direct3D 9 device created, every scene that was
# initialised was destroyed, a clean end (IsSetup=1, exit code 1 logged), and the pictures of the
# menu, the match and the results were taken as 24-bit bottom-up bitmaps of the screen's size.
# (Their content is not checked: that Direct3D 9 hands back a black front buffer on Xvfb.)
# Skips (77) only when Wine or the cross build is not there.
set -u
run_dir=$(cd "$1" && pwd)
windows_run=${RALLIX_WINDOWS_RUN:-$(dirname "$run_dir")/windows/run}
exe="$windows_run/rallix-game.exe"
for tool in wine wineboot wineserver xvfb-run; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
[ -f "$exe" ] || { echo "SKIP: no Windows build at $exe"; exit 77; }
[ -d "$windows_run/base" ] || { echo "FAIL: no game data beside $exe"; exit 1; }

work=$(mktemp -d)
trap 'WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
game_dir="$work/Rallix Game"
# RALLIX_E2E_KEEP=<folder> keeps the pictures, the output and the log for a person to look at.
keep() {
  [ -n "${RALLIX_E2E_KEEP:-}" ] || return 0
  mkdir -p "$RALLIX_E2E_KEEP" && cp "$game_dir"/shots/*.bmp "$work/out.txt" "$game_dir/base/errlog.html" \
    "$game_dir/base/config.cfg" "$RALLIX_E2E_KEEP"/ 2>/dev/null
}
fail() { echo "FAIL: $*"; [ -f "$work/out.txt" ] && tail -n 40 "$work/out.txt"; keep; exit 1; }

mkdir -p "$game_dir/shots"
cp "$exe" "$game_dir/"
cp -r "$windows_run/base" "$game_dir/base"
rm -rf "$game_dir/base/config.cfg" "$game_dir/base/shots" "$game_dir/base/errlog.html"
mkdir -p "$game_dir/base/shots"
printf '[ARU]\r\nIsSetup=1\r\nFullScreen=0\r\nFormat=22\r\nBackBuffer=22\r\n' > "$game_dir/base/config.cfg"

# No sound card on a CI machine: ALSA's default device discards what it is given.
printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' > "$work/asound.conf"
export ALSA_CONFIG_PATH="/usr/share/alsa/alsa.conf:$work/asound.conf"
# Wine's own diagnostics stay on: its DirectShow plays the music through GStreamer and says
# so when the plugins are missing.
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all,err+winediag
# No Mono or Gecko installer prompts: the game needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
export ARU_DEMO=1 ARU_DEMO_SHOTS=shots

# One X server for the prefix and the game: the prefix is made and its server has ended before
# the game starts. RALLIX_WINE_PICTURE=<file.png> saves the screen in the middle of the match.
cat > "$work/inside.sh" <<'INSIDE'
set -u
wineboot -i >/dev/null 2>&1
wineserver -w
cd "$1" || exit 3
if [ -n "${RALLIX_WINE_PICTURE:-}" ]; then
  (sleep "${RALLIX_WINE_PICTURE_AFTER:-25}"; import -window root "$RALLIX_WINE_PICTURE") &
fi
wine rallix-game.exe
status=$?
wineserver -w
exit $status
INSIDE
start=$(date +%s)
timeout 230 xvfb-run -a -s '-screen 0 1280x1024x24' bash "$work/inside.sh" "$game_dir" > "$work/out.txt" 2>&1
status=$?
echo "Wine run took $(( $(date +%s) - start )) s"
[ $status -eq 0 ] || fail "the Wine run ended with status $status"

log="$game_dir/base/errlog.html"
[ -s "$log" ] || fail "no log was written"
text=$(sed 's/<[^>]*>//g' "$log")
for line in "Created window successfully with handle" "Created a device!" \
            "Closing configuration file with exitcode 1"; do
  grep -qF "$line" <<<"$text" || fail "the log lacks \"$line\""
done
# The menu, the match and its results at least; each scene ended, the last one at shutdown.
printf '%s\n' "$text" > "$work/log.txt"
python3 - "$work/log.txt" <<'PY' || fail "a scene was not ended after it was initialised"
import re, sys
live, started = set(), 0
for line in open(sys.argv[1]):
    m = re.search(r"(Initialized scene|Destroyed scene|Last-Chance Deleted Scene) (\S+)", line)
    if not m:
        continue
    if m.group(1) == "Initialized scene":
        live.add(m.group(2))
        started += 1
    elif m.group(2) in live:
        live.remove(m.group(2))
print(f"{started} scenes initialised, {started - len(live)} ended")
sys.exit(0 if started >= 3 and not live else 1)
PY
grep -q "Failed to grab the front buffer." <<<"$text" && fail "a picture could not be taken"
is_setup=$(sed -n 's/^IsSetup=//p' "$game_dir/base/config.cfg" | tr -d '\r')
[ "$is_setup" = 1 ] || fail "IsSetup is '$is_setup' after the run"
grep -q "match over:" "$work/out.txt" || fail "no match was finished"
grep -qE "winegstreamer: failed|GStreamer-CRITICAL" "$work/out.txt" &&
  fail "Wine could not play the music (GStreamer plugins gstreamer1.0-plugins-base/-good missing?)"
grep "match over:" "$work/out.txt" | head -n 1

for picture in menu match1 results1; do
  file="$game_dir/shots/$picture.bmp"
  [ -s "$file" ] || fail "no picture $picture.bmp"
  python3 - "$file" <<'PY' || fail "$picture.bmp is not a 24-bit picture of the screen"
import struct, sys
data = open(sys.argv[1], "rb").read()
assert data[:2] == b"BM"
offset, header, width, height, planes, bits, compression = struct.unpack_from("<IIiiHHI", data, 10)
assert (offset, header, planes, bits, compression) == (54, 40, 1, 24, 0), "not a plain 24-bit bitmap"
assert width == 1280 and height == 1024, f"{width}x{height} instead of the screen's 1280x1024"
assert len(data) == 54 + width * height * 3
PY
done
keep
echo "ok"
