#!/usr/bin/env bash
# The game on the null video device: starts from a folder holding base/config.cfg, writes the log
# with its phases, ends cleanly on SIGTERM (IsSetup stays 1, lists balance, the document closes),
# and honours the safe-mode answers.
set -u
run_dir=$1
game="$run_dir/rallix-game"
[ -x "$game" ] || { echo "no game at $game"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
export ARU_VIDEO=null ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy

wait_for() {  # wait_for <file> <text> <seconds>
  for _ in $(seq 1 $(( $3 * 10 ))); do
    grep -qF "$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# 1. A normal start and SIGTERM.
mkdir -p "$work/a/base"
printf '[ARU]\nIsSetup=1\n' > "$work/a/base/config.cfg"
(cd "$work/a" && exec "$game") > "$work/a/out.txt" 2>&1 &
pid=$!
wait_for "$work/a/base/errlog.html" "Let's Go!" 20 || { cat "$work/a/out.txt"; fail "no successful start in the log"; }
kill -TERM $pid
for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && { kill -9 $pid; fail "the game did not end on SIGTERM"; }
wait $pid; status=$?
[ $status -eq 0 ] || fail "exit status $status"
log="$work/a/base/errlog.html"
head -n 9 "$log" | diff - <(printf '<html>\n<head>\n  <title>Rallix Error Log</title>\n<style>\n  body { font-size: x-small; font-family: Verdana; }\n  .banner { font-size: 16px; font-weight: bold; }\n</style>\n<body>\n  <b>Quillmark Log Generator</b><br />\n') \
  || fail "log head differs"
for text in "QMLG Version 1.07" "Initialization Phase" "Memory Usage" "Base ARU: " "aruNVertex: " \
            "ARU Successfully Initialized, Let's Go!" "Cleaning Up!" "ARU::Release()" \
            "Closing configuration file with exitcode 1"; do
  grep -qF "$text" "$log" || fail "log lacks: $text"
done
opened=$(grep -o '<ul>' "$log" | wc -l); closed=$(grep -o '</ul>' "$log" | wc -l)
[ "$opened" -eq "$closed" ] || fail "lists do not balance: $opened open, $closed closed"
[ "$(tail -c 15 "$log")" = "$(printf '</body>\n</html>')" ] || fail "log does not end the document"
grep -q '^IsSetup=1' "$work/a/base/config.cfg" || fail "IsSetup is not 1 after SIGTERM"

# 2. After a crash, answering "no" starts the game.
mkdir -p "$work/b/base"
printf '[ARU]\nIsSetup=2\n' > "$work/b/base/config.cfg"
(cd "$work/b" && ARU_MESSAGEBOX=no exec "$game") > "$work/b/out.txt" 2>&1 &
pid=$!
wait_for "$work/b/base/errlog.html" "Let's Go!" 20 || fail "answering no did not start the game"
grep -q "Safe Mode" "$work/b/out.txt" || fail "the safe-mode question was not asked"
kill -TERM $pid; wait $pid

# 3. Answering "yes" starts the tool named by Setup, writes IsSetup=0 and ends by itself.
mkdir -p "$work/c/base"
printf '#!/bin/sh\ntouch "%s/tool-ran"\n' "$work/c" > "$work/c/tool.sh"; chmod +x "$work/c/tool.sh"
printf '[ARU]\nIsSetup=2\nSetup=%s\n' "$work/c/tool.sh" > "$work/c/base/config.cfg"
(cd "$work/c" && ARU_MESSAGEBOX=yes timeout 20 "$game") > "$work/c/out.txt" 2>&1 || fail "the game did not end by itself"
wait_for "$work/c/tool-ran" "" 5 || [ -e "$work/c/tool-ran" ] || fail "the configuration tool was not started"
grep -q '^IsSetup=0' "$work/c/base/config.cfg" || fail "IsSetup is not 0 after starting the tool"
grep -qF "Let's Go!" "$work/c/base/errlog.html" && fail "the game started although the tool was run"

# 4. A command line longer than the path buffer is refused, never copied past it.
long=$(head -c 5000 /dev/zero | tr '\0' 'x')
mkdir -p "$work/d/base"
printf '[ARU]\nIsSetup=1\n' > "$work/d/base/config.cfg"
(cd "$work/d" && exec "$game" "$long") > "$work/d/out.txt" 2>&1 &
pid=$!
wait_for "$work/d/base/errlog.html" "Let's Go!" 20 || { cat "$work/d/out.txt"; fail "a long command line stopped the game"; }
kill -TERM $pid; wait $pid || fail "the game failed after a long command line"
echo "ok"
