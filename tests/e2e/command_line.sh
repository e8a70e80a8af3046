#!/usr/bin/env bash
# The command line as a terminal user meets it: --help and --version print and end at once with
# status 0, without a display and without touching the data folder; a catalogue path that names
# no file gets one clear line on standard error and the game still starts.
set -u
run_dir=$(cd "$1" && pwd)
game="$run_dir/rallix-game"
[ -x "$game" ] || { echo "no game at $game"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

mkdir -p "$work/base"
cd "$work"
for option in --help -h --version; do
  env -u DISPLAY -u WAYLAND_DISPLAY timeout 10 "$game" $option > out.txt 2> err.txt \
    || fail "$option ended with status $?"
  [ -s out.txt ] || fail "$option printed nothing"
  [ -s err.txt ] && { cat err.txt; fail "$option wrote to standard error"; }
  [ -z "$(ls base)" ] || fail "$option wrote into base/: $(ls base)"
done
timeout 10 "$game" --help | grep -q '^Usage: rallix-game \[LEVEL-CATALOGUE\]' || fail "no usage line"
timeout 10 "$game" --version | grep -Eq '^rallix-game [0-9]+\.[0-9]+' || fail "no version number"

# A missing catalogue: the warning, then the ordinary start on the null device.
printf '[ARU]\nIsSetup=1\n' > base/config.cfg
ARU_VIDEO=null ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy "$game" "$work/no such.pcf" > out.txt 2> err.txt &
pid=$!
for _ in $(seq 1 200); do grep -qF "Let's Go!" base/errlog.html 2>/dev/null && break; sleep 0.1; done
kill -TERM $pid; wait $pid
status=$?
grep -qF "Let's Go!" base/errlog.html || fail "the game did not start after the warning"
[ $status -eq 0 ] || fail "exit status $status"
grep -qxF "rallix-game: the level catalogue \"$work/no such.pcf\" does not exist or is not a file" err.txt \
  || { cat err.txt; fail "no clear line for the missing catalogue"; }
echo "command line: --help, --version and the missing-catalogue line as expected"
