#!/usr/bin/env bash
# Performance figures of the game from attract-mode matches of a Release build:
#   - frame rate of the match on OpenGL (Mesa's software renderer here; under Xvfb when present),
#     windowed (the default) and full screen, with the CPU time the game spent per frame,
#   - frame rate and scene work on the null device,
#   - the game's peak resident memory and the time from start to the first drawn frame,
#   - the model viewer's frame rate,
#   - the delay from an effect's Play to its first samples at OpenAL's output (wave writer),
#   - the device's frame time against back-buffer size and against blended 2-D quads
#     (tests/benchmarks/d3d9/frame_benchmark.cpp, in a window the size of the back buffer).
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
  # Figures a tree has no program for are left out of its table.
  cmake --build "$1/build-rel" -j"$(nproc)" --target aru-viewer >/dev/null 2>&1 || true
  cmake --build "$1/build-rel" -j"$(nproc)" --target frame_benchmark >/dev/null 2>&1 || true
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
# <screen> is "window" or "full" (the game's FullScreen setting).
measure() {  # measure <tree> <device> <screen> <out> <launcher...>
  local tree=$1 device=$2 screen=$3 out=$4
  shift 4
  local game="$tree/build-rel/run/rallix-game" dir="$work/run"
  rm -rf "$dir"
  mkdir -p "$dir"
  cp -r "$tree/build-rel/run/base" "$dir/base"
  [ "$screen" = full ] && sed -i 's/^FullScreen=0/FullScreen=1/' "$dir/base/config.cfg"
  (cd "$dir" && exec "$@" "$game") > "$dir/out.txt" 2>&1 &
  local started=$! pid="" peak=0 ticks=0
  while kill -0 $started 2>/dev/null; do
    [ -n "$pid" ] || pid=$(pgrep -n -f "^$game" || true)
    if [ -n "$pid" ] && [ -r "/proc/$pid/status" ]; then
      local hwm used
      hwm=$(awk '/^VmHWM:/ {print $2}' "/proc/$pid/status" 2>/dev/null)
      [ -n "$hwm" ] && [ "$hwm" -gt "$peak" ] && peak=$hwm
      # user + system time of all its threads (the rasteriser's included), in clock ticks
      used=$(awk '{print $14 + $15}' "/proc/$pid/stat" 2>/dev/null)
      [ -n "$used" ] && ticks=$used
    fi
    sleep 0.2
  done
  wait $started
  local name=$device
  [ "$screen" = full ] && name=$device-full
  sed -nE 's/.*, ([0-9]+) frames, median frame .*\(([0-9.]+) fps\), median scene work ([0-9.]+) ms.*/frames \1\nfps \2\nscene_ms \3/p' \
    "$dir/out.txt" > "$dir/figures.txt"
  local frames
  frames=$(awk '$1 == "frames" {print $2}' "$dir/figures.txt")
  grep -v '^frames' "$dir/figures.txt" | sed "s/^/$name-/" >> "$out"
  if [ -n "$frames" ] && [ "$frames" -gt 0 ]; then
    awk -v t="$ticks" -v f="$frames" -v hz="$(getconf CLK_TCK)" -v n="$name" \
      'BEGIN {printf "%s-cpu_ms_per_frame %.3f\n", n, t * 1000 / hz / f}' >> "$out"
  fi
  sed -nE "s/.*first frame ([0-9.]+) ms after start.*/$name-first_frame_ms \1/p" "$dir/out.txt" >> "$out"
  echo "$name-peak_rss_mb $(( peak / 1024 ))" >> "$out"
}

viewer_fps() {  # viewer_fps <tree> <out>
  local viewer="$1/build-rel/run/aru-viewer"
  [ -x "$viewer" ] || return 0
  (cd "$1/build-rel/run" && "${gl_launcher[@]}" "$viewer" "$work/viewer.bmp" --benchmark 5) 2>/dev/null |
    sed -nE 's/.*median ([0-9.]+) frames per second.*/viewer-fps \1/p' >> "$2"
}

# Frame time against the back buffer's size (no quads) and against blended quads at 1280x1024.
frame_times() {  # frame_times <tree> <out>
  local bench="$1/build-rel/run/frame_benchmark"
  [ -x "$bench" ] || return 0
  local size quads
  for size in 640x480 1024x768 1280x1024 1920x1080; do
    frame_time "$bench" "${size%x*}" "${size#*x}" 0 "$2"
  done
  for quads in 40 200; do frame_time "$bench" 1280 1024 "$quads" "$2"; done
  # The same frame through an off-screen back buffer copied to the window at each Present.
  ARU_GL_OFFSCREEN=1 frame_time "$bench" 1280 1024 0 "$2" -offscreen
}

frame_time() {  # frame_time <program> <width> <height> <quads> <out> [name suffix]
  local launcher=(env ARU_VIDEO=gl SDL_VIDEODRIVER=offscreen)
  command -v xvfb-run >/dev/null &&
    launcher=(xvfb-run -a -s "-screen 0 ${2}x${3}x24" env ARU_VIDEO=gl SDL_VIDEODRIVER=x11)
  "${launcher[@]}" "$1" "$2" "$3" "$4" 300 2>/dev/null |
    sed -nE "s/.*median frame ([0-9.]+) ms, slowest 5% from ([0-9.]+) ms.*/frame_ms-${2}x${3}-quads$4${6:-} \1\nslowest5_ms-${2}x${3}-quads$4${6:-} \2/p" \
      >> "$5"
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
    measure "${trees[$index]}" opengl window "$out" "${gl_launcher[@]}"
    measure "${trees[$index]}" opengl full "$out" "${gl_launcher[@]}"
    measure "${trees[$index]}" null window "$out" env ARU_VIDEO=null
    viewer_fps "${trees[$index]}" "$out"
    frame_times "${trees[$index]}" "$out"
    sound_delay "${trees[$index]}" "$out"
  done
  echo "run $run of $runs done; $(uptime | sed 's/.*load/load/')" >&2
done

echo "machine: $(nproc) cores, $(uptime | sed 's/.*load/load/')"
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
