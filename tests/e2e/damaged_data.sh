#!/usr/bin/env bash
# Damaged game data: each file of a representative set from base/ is truncated to half, replaced
# by random bytes of the same size, or removed, and the game runs one attract-mode start on the
# null video device until its match scene is up (or it ends by itself), then gets SIGTERM.
# Every case must end with status 0 within its time, close the log properly with the exit code
# it wrote as IsSetup, and leave no sanitizer report. The set: the configuration file, the
# catalogue, every model and sound, the textures directly under base/tex and base/menu, and the
# first texture of each other texture folder (the files the attract run reads come first).
# Cases run two at a time; DAMAGE_ALL=1 walks every file under base/ instead.
set -u
if [ "${1:-}" = "--case" ]; then
  shift
  run_dir=$1 file=$2 damage=$3
  source "$(dirname "$0")/tools/wait_lib.sh"
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cp -r "$run_dir/base" "$work/base"
  rm -f "$work/base/errlog.html" "$work/base/.generated"
  printf '[ARU]\nIsSetup=1\nFullScreen=0\nFormat=22\nBackBuffer=22\n' > "$work/base/config.cfg"
  target="$work/base/$file"
  size=$(stat -c %s "$target")
  case $damage in
    half) truncate -s $(( size / 2 )) "$target" ;;
    random) head -c "$size" /dev/urandom > "$target" ;;
    removed) rm -f "$target" ;;
  esac
  mkdir -p "$work/runtime" && chmod 700 "$work/runtime"
  (cd "$work" && XDG_RUNTIME_DIR="$work/runtime" ARU_MESSAGEBOX=ok ARU_DEMO=1 exec "$run_dir/rallix-game") \
    > "$work/out.txt" 2>&1 &
  pid=$!
  log="$work/base/errlog.html"
  # Up: the second scene (the match after the menu) was initialised and drew for a moment.
  for _ in $(seq 1 300); do
    kill -0 $pid 2>/dev/null || break
    [ "$(grep -o 'Initialized scene ' "$log" 2>/dev/null | wc -l)" -ge 2 ] && { sleep 0.5; break; }
    sleep 0.1
  done
  kill -TERM $pid 2>/dev/null
  for _ in $(seq 1 150); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  result="$file $damage:"
  if kill -0 $pid 2>/dev/null; then kill -9 $pid; echo "$result HANG"; exit 1; fi
  wait $pid; status=$?
  bad() { echo "$result $*"; grep -m3 -E "ERROR|runtime error|MessageBox" "$work/out.txt"; exit 1; }
  [ $status -eq 0 ] || bad "exit status $status"
  grep -qE "ERROR: AddressSanitizer|runtime error:" "$work/out.txt" && bad "sanitizer report"
  exitcode=$(sed -n 's/.*Closing configuration file with exitcode \([0-9]\).*/\1/p' "$log" 2>/dev/null | tail -n 1)
  [ -n "$exitcode" ] || bad "the log was not closed"
  [ "$(tail -c 15 "$log")" = "$(printf '</body>\n</html>')" ] || bad "the log does not end the document"
  setup=$(sed -n 's/^IsSetup=//p' "$work/base/config.cfg" | tr -d '\r' | tail -n 1)
  [ "$setup" = "$exitcode" ] || bad "IsSetup is '$setup', the log says $exitcode"
  box=$(grep -m1 -o 'MessageBox "[^"]*"' "$work/out.txt")
  echo "$result ok, IsSetup=$setup${box:+, $box}"
  exit 0
fi

run_dir=$(cd "$1" && pwd)
[ -x "$run_dir/rallix-game" ] || { echo "no game at $run_dir/rallix-game"; exit 1; }
[ -d "$run_dir/base/tex" ] || { echo "skip: no generated game data in $run_dir/base"; exit 77; }
export ARU_VIDEO=null ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
cd "$run_dir/base"
if [ -n "${DAMAGE_ALL:-}" ]; then
  files=$(find . -type f ! -name '.*' ! -name errlog.html | sed 's|^\./||' | sort)
else
  files=$(
    ls config.cfg default.pcf 2>/dev/null
    find mdl sfx menu -maxdepth 1 -type f | sort
    find tex -maxdepth 1 -type f | sort
    for folder in $(find tex -mindepth 1 -type d | sort); do find "$folder" -type f | sort | head -n 1; done
  )
fi
cd - >/dev/null
start=$(date +%s)
results=$(for file in $files; do for damage in half random removed; do echo "$file $damage"; done; done |
  xargs -P 2 -L 1 bash "$0" --case "$run_dir")
status=$?
echo "$results" | sort
cases=$(echo "$results" | wc -l)
failed=$(echo "$results" | grep -vc ': ok' || true)
echo "$cases cases in $(( $(date +%s) - start )) s, $failed failed"
[ $status -eq 0 ] && [ "$failed" -eq 0 ] || { echo "FAIL"; exit 1; }
echo "ok"
