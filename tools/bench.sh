#!/usr/bin/env bash
# Performance figures of the match scene, from attract-mode matches of a Release build:
#   - frame rate at 1280x1024 on OpenGL under Xvfb (Mesa's software renderer here),
#   - frame rate and scene work on the null device,
#   - the game's peak resident memory and the time from start to the first drawn frame.
# Usage: bash tools/bench.sh [matches]   (default 1 match for each device)
# Frame rates on a shared machine are noisy: run it on a quiet machine and read the medians.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
matches=${1:-1}
build="$here/build-rel"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null || exit 1
cmake --build "$build" -j"$(nproc)" >/dev/null || exit 1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$build/run/base" "$work/base"
mkdir -p "$work/runtime"
chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime" ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy
export ARU_DEMO="$matches" ARU_BENCH=1

# Runs the game in the background with the given launcher and prints its figures and the peak
# resident memory of the game process itself (not of the X server started with it).
measure() {
  local name=$1
  shift
  (cd "$work" && exec "$@" "$build/run/rallix-game") > "$work/$name.txt" 2>&1 &
  local launcher=$! pid="" peak=0
  while kill -0 $launcher 2>/dev/null; do
    [ -n "$pid" ] || pid=$(pgrep -n -f "^$build/run/rallix-game" || true)
    if [ -n "$pid" ] && [ -r "/proc/$pid/status" ]; then
      local hwm
      hwm=$(awk '/^VmHWM:/ {print $2}' "/proc/$pid/status" 2>/dev/null)
      [ -n "$hwm" ] && [ "$hwm" -gt "$peak" ] && peak=$hwm
    fi
    sleep 0.2
  done
  wait $launcher
  echo "== $name"
  grep -E "first frame|match over|bench:" "$work/$name.txt"
  echo "peak resident memory of the game: $(( peak / 1024 )) MB"
}

if command -v xvfb-run >/dev/null; then
  measure opengl xvfb-run -a -s '-screen 0 1280x1024x24' env ARU_VIDEO=gl SDL_VIDEODRIVER=x11
else
  measure opengl env ARU_VIDEO=gl SDL_VIDEODRIVER=offscreen
fi
measure null env ARU_VIDEO=null
