#!/usr/bin/env bash
# The single-instance check on the null video device: a running copy is seen by a second one,
# which says so on standard error and writes no log; the registration is gone after SIGTERM and
# after the game's own quit; after kill -9 the file left behind does not count, and the next start
# is a first instance again.
set -u
run_dir=$(cd "$1" && pwd)
game="$run_dir/rallix-game"
[ -x "$game" ] || { echo "no game at $game"; exit 1; }
work=$(mktemp -d)
trap 'kill -9 $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
exec 3>&2 2>/dev/null  # no shell notices of the copies killed on purpose
fail() { exec 2>&3; echo "FAIL: $*"; for f in "$work"/*/out.txt; do echo "--- $f"; tail -n 5 "$f"; done; exit 1; }
export ARU_VIDEO=null ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy
# Leaks are not this test's subject; a leak report would change the exit status it checks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
mkdir -p "$work/runtime" && chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
registry="$work/runtime/rallix-windows"
message="Quillmark Rallix is already running; this copy writes no log"

source "$(dirname "$0")/tools/wait_lib.sh"
registrations() { ls -A "$registry" 2>/dev/null | wc -l; }
# start <name>: a copy of the game in its own folder; sets pid.
start() {
  mkdir -p "$work/$1/base"
  printf '[ARU]\nIsSetup=1\n' > "$work/$1/base/config.cfg"
  (cd "$work/$1" && exec "$game") > "$work/$1/out.txt" 2>&1 &
  pid=$!
}
started() { wait_for "$work/$1/base/errlog.html" "Let's Go!" 30 || fail "$1 did not start"; }
stop() {  # stop <pid> <signal>
  kill -"$2" "$1"
  for _ in $(seq 1 100); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$1" 2>/dev/null && fail "process $1 did not end on $2"
  wait "$1" 2>/dev/null
}

# 1. A first copy registers its window; a live second copy sees it and says so.
start first; first=$pid; started first
[ "$(registrations)" -eq 1 ] || fail "the first copy left $(registrations) registrations"
start second; second=$pid
wait_for "$work/second/out.txt" "$message" 30 || fail "the second copy said nothing"
grep -qF "$message" "$work/first/out.txt" && fail "the first copy thought it was second"
sleep 1
[ -e "$work/second/base/errlog.html" ] && fail "the second copy wrote a log"
kill -0 $second 2>/dev/null || fail "the second copy ended"
stop $second TERM

# 2. SIGTERM removes the registration.
stop $first TERM
[ "$(registrations)" -eq 0 ] || fail "SIGTERM left $(registrations) registrations"
grep -qF "Closing configuration file with exitcode 1" "$work/first/base/errlog.html" || fail "no clean end"

# 3. kill -9 leaves a file that does not count: the next start is a first instance.
rm -rf "$work/first"
start first; first=$pid; started first
stop $first KILL
[ "$(registrations)" -eq 1 ] || fail "expected the killed copy's file, found $(registrations)"
start third; third=$pid; started third
grep -qF "$message" "$work/third/out.txt" && fail "a killed copy counted as running"
[ "$(registrations)" -eq 1 ] || fail "the stale file was not replaced: $(registrations) files"
stop $third TERM
[ "$(registrations)" -eq 0 ] || fail "registrations left after the third copy"

# 4. SIGINT, and a run that ends through the game's own Quit (one attract-mode match on the
#    generated data, when present), remove it too.
start interrupted; started interrupted
stop $pid INT
[ "$(registrations)" -eq 0 ] || fail "SIGINT left $(registrations) registrations"
if [ -d "$run_dir/base/tex" ]; then
  mkdir -p "$work/demo" && cp -r "$run_dir/base" "$work/demo/base"
  printf '[ARU]\nIsSetup=1\nFullScreen=0\nFormat=22\nBackBuffer=22\n' > "$work/demo/base/config.cfg"
  (cd "$work/demo" && ARU_DEMO=1 timeout 240 "$game") > "$work/demo/out.txt" 2>&1
  status=$?
  [ $status -eq 0 ] || fail "the attract-mode run ended with status $status"
  grep -q "match over:" "$work/demo/out.txt" || fail "the attract-mode run did not finish its match"
  [ "$(registrations)" -eq 0 ] || fail "Quit left $(registrations) registrations"
fi
echo "ok"
