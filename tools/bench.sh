#!/usr/bin/env bash
# Performance figures of the game from attract-mode matches of a Release build:
#   - frame rate of the match on OpenGL (Mesa's software renderer here; under Xvfb when present),
#   - frame rate and scene work on the null device,
#   - the game's peak resident memory and the time from start to the first drawn frame,
#   - the delay from an effect's Play to its first samples at OpenAL's output (wave writer).
# Each figure is printed as the median with its minimum and maximum over the runs; runs of the
# build under test and of a baseline (another source tree, built into its own build-rel) are
# alternated so that both see the same load.
# Usage: bash tools/bench.sh [runs] [baseline-source-dir]   (default 3 runs, no baseline)
# Frame rates on a shared machine are noisy: read the medians. Not a test; CI does not run it.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-3}
baseline=${2:-}

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
build_tree() {  # build_tree <source-dir>: builds <source-dir>/build-rel
  cmake -S "$1" -B "$1/build-rel" -DCMAKE_BUILD_TYPE=Release -DRALLIX_TESTS=ON "${launcher[@]}" >/dev/null || exit 1
  cmake --build "$1/build-rel" -j"$(nproc)" --target rallix-game base_data >/dev/null || exit 1
  # The sound delay check lives in the platform tests; a tree without it reports no figure.
  cmake --build "$1/build-rel" -j"$(nproc)" --target platform_tests >/dev/null 2>&1 || true
}

trees=("$here")
[ -n "$baseline" ] && trees+=("$(cd "$baseline" && pwd)")
for tree in "${trees[@]}"; do build_tree "$tree"; done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/runtime"
chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime" ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy
export ARU_DEMO=1 ARU_BENCH=1

# Runs one match with the given launcher and appends "<figure> <value>" lines to <out>.
measure() {  # measure <tree> <device> <out> <launcher...>
  local tree=$1 device=$2 out=$3
  shift 3
  local game="$tree/build-rel/run/rallix-game" dir="$work/run"
  rm -rf "$dir"
  mkdir -p "$dir"
  cp -r "$tree/build-rel/run/base" "$dir/base"
  (cd "$dir" && exec "$@" "$game") > "$dir/out.txt" 2>&1 &
  local started=$! pid="" peak=0
  while kill -0 $started 2>/dev/null; do
    [ -n "$pid" ] || pid=$(pgrep -n -f "^$game" || true)
    if [ -n "$pid" ] && [ -r "/proc/$pid/status" ]; then
      local hwm
      hwm=$(awk '/^VmHWM:/ {print $2}' "/proc/$pid/status" 2>/dev/null)
      [ -n "$hwm" ] && [ "$hwm" -gt "$peak" ] && peak=$hwm
    fi
    sleep 0.2
  done
  wait $started
  sed -nE 's/.*\(([0-9.]+) fps\), median scene work ([0-9.]+) ms.*/fps \1\nscene_ms \2/p' "$dir/out.txt" |
    sed "s/^/$device-/" >> "$out"
  sed -nE "s/.*first frame ([0-9.]+) ms after start.*/$device-first_frame_ms \1/p" "$dir/out.txt" >> "$out"
  echo "$device-peak_rss_mb $(( peak / 1024 ))" >> "$out"
}

sound_delay() {  # sound_delay <tree> <out>
  local tests="$1/build-rel/tests/platform_tests"
  [ -x "$tests" ] || return 0
  "$tests" --gtest_filter='SoundOutputLatency.*' 2>/dev/null |
    sed -nE 's/.*delay ([0-9.]+) ms.*/sound-play_to_output_ms \1/p' >> "$2"
}

gl_launcher=(env ARU_VIDEO=gl SDL_VIDEODRIVER=offscreen)
command -v xvfb-run >/dev/null &&
  gl_launcher=(xvfb-run -a -s '-screen 0 1280x1024x24' env ARU_VIDEO=gl SDL_VIDEODRIVER=x11)

for ((run = 1; run <= runs; ++run)); do
  for index in "${!trees[@]}"; do
    out="$work/figures.$index"
    measure "${trees[$index]}" opengl "$out" "${gl_launcher[@]}"
    measure "${trees[$index]}" null "$out" env ARU_VIDEO=null
    sound_delay "${trees[$index]}" "$out"
  done
  echo "run $run of $runs done" >&2
done

for index in "${!trees[@]}"; do
  echo "== ${trees[$index]} ($(git -C "${trees[$index]}" rev-parse --short HEAD 2>/dev/null || echo 'no git'))"
  python3 - "$work/figures.$index" <<'PY'
import statistics, sys
figures = {}
for line in open(sys.argv[1]):
    name, value = line.split()
    figures.setdefault(name, []).append(float(value))
for name, values in sorted(figures.items()):
    print(f"{name:28} median {statistics.median(values):11.3f}   min {min(values):11.3f}   "
          f"max {max(values):11.3f}   runs {' '.join(f'{v:g}' for v in values)}")
PY
done
