#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang in their own build folder, replays each one's seed
# corpus, then fuzzes each for a fixed number of runs. Fails on any crash, hang, sanitizer
# report or leak. Usage: run_fuzzers.sh [scale] -- the run counts below are multiplied by it
# (default 1); FUZZ_ONLY=<harness> runs one harness.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
scale=${1:-1}
build="$root/build-fuzz"
jobs=${JOBS:-2}

# harness, corpus folder, largest input, runs at scale 1 (each well under half a minute here;
# the file readers re-read their file on every lookup, so they run far fewer inputs a second).
harnesses=(
  "fuzz_server_receive server 512 200000"
  "fuzz_client_receive client 512 200000"
  "fuzz_profile profile 4096 4000"
  "fuzz_catalog catalog 4096 1000"
  "fuzz_xfile xfile 8192 20000"
  "fuzz_texture texture 4096 4000"
  "fuzz_wave wave 4096 20000"
  "fuzz_music music 8192 50000"
  "fuzz_console console 1024 100000"
)

launcher=()
if command -v ccache > /dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Asan -DRALLIX_TESTS=ON -DRALLIX_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" > /dev/null
cmake --build "$build" -j"$jobs" --target fuzz_harnesses

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The harnesses' sound device renders into memory; their windows are never shown.
export ALSOFT_DRIVERS=null SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ARU_VIDEO=null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for entry in "${harnesses[@]}"; do
  read -r name corpus maxLength runs <<< "$entry"
  if [ -n "${FUZZ_ONLY:-}" ] && [ "$FUZZ_ONLY" != "$name" ]; then continue; fi
  harness="$build/tests/fuzz/$name"
  seeds="$here/corpus/$corpus"
  echo "fuzz: replaying the $corpus corpus"
  "$harness" -runs=0 -timeout=30 "$seeds"
  # New inputs go to a scratch folder; the kept corpus changes only by hand.
  rm -rf "${scratch:?}/$corpus" && mkdir "$scratch/$corpus"
  echo "fuzz: $name, $((runs * scale)) runs"
  "$harness" -runs=$((runs * scale)) -max_len="$maxLength" -seed=1 -timeout=30 -rss_limit_mb=2048 \
    -artifact_prefix="$build/${name}-" "$scratch/$corpus" "$seeds"
done
echo "fuzz: no findings"
