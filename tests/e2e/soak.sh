#!/usr/bin/env bash
# A soak run: attract-mode matches in a row (SOAK_MATCHES, default 4; 20 for the full run) on the
# null video device, or on the OpenGL device under Xvfb with SOAK_VIDEO=gl. During each match the
# lowest resident memory, open files and threads of the game are measured: the last
# match's memory must be within 5% of the second's (the first's in a two-match run), and the
# open files and threads must not grow; the run must end by itself with status 0 and close its
# log properly.
set -u
run_dir=$(cd "$1" && pwd)
game="$run_dir/rallix-game"
[ -x "$game" ] || { echo "no game at $game"; exit 1; }
[ -d "$run_dir/base/tex" ] || { echo "skip: no generated game data in $run_dir/base"; exit 77; }
matches=${SOAK_MATCHES:-4}
video=${SOAK_VIDEO:-null}
work=$(mktemp -d)
trap 'kill -9 $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; tail -n 20 "$work/out.txt"; exit 1; }

cp -r "$run_dir/base" "$work/base"
rm -f "$work/base/errlog.html"
printf '[ARU]\nIsSetup=1\nFullScreen=0\nFormat=22\nBackBuffer=22\n' > "$work/base/config.cfg"
mkdir -p "$work/runtime" && chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime" ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy ARU_DEMO=$matches
# Under the address sanitizer freed memory waits in a quarantine of up to 256 MB, which would
# read as growth; without it the resident size shows what the game keeps.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}:quarantine_size_mb=0"
launcher=()
if [ "$video" = gl ]; then
  command -v xvfb-run >/dev/null || { echo "skip: xvfb-run is missing"; exit 77; }
  export ARU_VIDEO=gl SDL_VIDEODRIVER=x11
  launcher=(xvfb-run -a -s '-screen 0 1280x1024x24')
else
  export ARU_VIDEO=null
fi
(cd "$work" && exec "${launcher[@]}" "$game") > "$work/out.txt" 2>&1 &
runner=$!
# The game itself (under xvfb-run a child of the launcher): the copy running in this folder.
pid=
for _ in $(seq 1 300); do
  for entry in /proc/[0-9]*; do
    [ "$(cat $entry/comm 2>/dev/null)" = rallix-game ] &&
      [ "$(readlink $entry/cwd 2>/dev/null)" = "$work" ] && pid=${entry#/proc/}
  done
  [ -n "$pid" ] && break
  sleep 0.1
done
[ -n "$pid" ] || fail "the game did not start"

# One line per finished match: "match rss_kb files threads". Sounds and music open files and
# threads for a while, and scenes load and free their textures, so each figure is the lowest seen
# during the match (what the game keeps); a single reading at the match's end varied by up to 8%
# from match to match without any growth.
sampled=0 min_files=99999 min_threads=99999 min_rss=999999999 running=
deadline=$(( $(date +%s) + 120 * matches + 60 ))
while kill -0 $pid 2>/dev/null && [ "$(date +%s)" -lt $deadline ]; do
  # Counted from the first frame on: before it the devices are still being opened.
  if [ -n "$running" ] || grep -q "first frame" "$work/out.txt"; then
    running=1
    files=$(ls /proc/$pid/fd 2>/dev/null | wc -l)
    threads=$(sed -n 's/^Threads:[[:space:]]*//p' /proc/$pid/status 2>/dev/null)
    [ "$files" -gt 0 ] && [ "$files" -lt $min_files ] && min_files=$files
    [ -n "$threads" ] && [ "$threads" -lt $min_threads ] && min_threads=$threads
    rss=$(sed -n 's/^VmRSS:[[:space:]]*\([0-9]*\).*/\1/p' /proc/$pid/status 2>/dev/null)
    [ -n "$rss" ] && [ "$rss" -lt $min_rss ] && min_rss=$rss
  fi
  done_matches=$(grep -c "match over:" "$work/out.txt")
  if [ "$done_matches" -gt "$sampled" ]; then
    sampled=$done_matches
    [ $min_rss -lt 999999999 ] && echo "$sampled $min_rss $min_files $min_threads" >> "$work/samples"
    min_files=99999 min_threads=99999 min_rss=999999999
  fi
  sleep 0.2
done
kill -0 $pid 2>/dev/null && fail "the run did not end within its time"
wait $runner; status=$?
[ $status -eq 0 ] || fail "the game ended with status $status"
[ "$(grep -c "match over:" "$work/out.txt")" -eq "$matches" ] || fail "not all $matches matches were played"
echo "match rss_kb open_files threads"
cat "$work/samples"
log="$work/base/errlog.html"
grep -qF "Closing configuration file with exitcode 1" "$log" || fail "the log does not show a clean end"
[ "$(tail -c 15 "$log")" = "$(printf '</body>\n</html>')" ] || fail "the log does not end the document"
# Match 2 is the baseline (the first match still fills caches); match 1 in a two-match run.
baseline=$(( matches >= 3 ? 2 : 1 ))
read -r _ rss2 files2 threads2 < <(sed -n ${baseline}p "$work/samples")
read -r last rssN filesN threadsN < <(tail -n 1 "$work/samples")
[ -n "${rss2:-}" ] && [ "$last" -eq "$matches" ] || fail "the samples are incomplete"
growth=$(( (rssN - rss2) * 1000 / rss2 ))
echo "resident memory: match $baseline ${rss2} kB, match $last ${rssN} kB (change $((growth / 10)).$(( (growth < 0 ? -growth : growth) % 10 ))%)"
[ $(( rssN * 100 )) -le $(( rss2 * 105 )) ] || fail "resident memory grew by more than 5%"
[ "$filesN" -le "$files2" ] || fail "open files grew from $files2 to $filesN"
[ "$threadsN" -le "$threads2" ] || fail "threads grew from $threads2 to $threadsN"
echo "ok"
