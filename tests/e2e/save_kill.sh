#!/usr/bin/env bash
# Saves that survive kill -9: a writer rewrites the settings, the catalogue's unlock bits and a
# screenshot bitmap through the game's own code and is killed at a random moment, again and
# again; after every kill the file must hold a whole save, old or new, never a torn or empty one,
# and every key of the settings' [Pong] section must come from the same save.
# SAVE_KILLS (default 120 per kind) sets the number of kills.
set -u
run_dir=$(cd "$1" && pwd)
writer="$run_dir/save_writer"
[ -x "$writer" ] || { echo "no writer at $writer"; exit 1; }
kills=${SAVE_KILLS:-120}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}

# Generation 0 of every value the writer checks.
printf '[ARU]\nIsSetup=0\nFormat=22\n\n[Pong]\nDebug=1\nTexNum=0\nName=Gen0\nPort=0\nServer=0.example\nModel=0\n' \
  > "$work/config.cfg"
printf '[Game]\nNumLevels=3\n' > "$work/levels.pcf"
for n in 1 2 3; do printf '\n[Level%d]\nName=Level number %d\nCStat=0\n' $n $n >> "$work/levels.pcf"; done
mkdir -p "$work/shots"

declare -A files=([settings]="$work/config.cfg" [catalogue]="$work/levels.pcf" [bitmap]="$work/shots/Shot.bmp")
total=0
for mode in settings catalogue bitmap; do
  file=${files[$mode]}
  for i in $(seq 1 "$kills"); do
    "$writer" $mode "$file" 2>>"$work/writer.err" &
    writer_pid=$!
    # Up to 150 ms: the first saves as well as saves well into the run.
    sleep "0.$(printf '%03d' $(( RANDOM % 150 )))"
    kill -9 $writer_pid 2>/dev/null
    wait $writer_pid 2>/dev/null
    if ! "$writer" check-$mode "$file"; then
      echo "FAIL: $mode after kill $i:"; cat "$file" | head -c 2000; exit 1
    fi
    total=$((total + 1))
  done
  leftovers=$(ls -A "$(dirname "$file")" | grep -vc -e '^config.cfg$' -e '^levels.pcf$' -e '^Shot.bmp$' -e '^shots$' || true)
  echo "$mode: $kills kills, every file whole; temporary files left beside it: $leftovers"
done
# The kills fell during saves, not only before the first one (a loaded machine makes saves slow,
# so a quarter of a save per run is enough).
saves=$(sed -n 's/^TexNum=//p' "$work/config.cfg")
[ "${saves:-0}" -ge $(( kills / 4 )) ] || { echo "FAIL: only $saves settings saves in $kills runs"; exit 1; }
echo "settings saves completed over all runs: $saves"
if grep -q . "$work/writer.err"; then echo "FAIL: the writer reported:"; sort "$work/writer.err" | uniq -c; exit 1; fi
echo "ok: $total kills"
