#!/usr/bin/env bash
# Builds the receivers' libFuzzer harnesses with clang in their own build folder, replays the
# seed corpus through each, then fuzzes each for a fixed number of runs. Fails on any crash,
# sanitizer report or leak. Usage: run_fuzzers.sh [runs] (default 200000).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
runs=${1:-200000}
build="$root/build-fuzz"
jobs=${JOBS:-2}

launcher=()
if command -v ccache > /dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Asan -DRALLIX_TESTS=ON -DRALLIX_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" > /dev/null
cmake --build "$build" -j"$jobs" --target fuzz_server_receive fuzz_client_receive

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
for side in server client; do
  harness="$build/tests/fuzz/fuzz_${side}_receive"
  seeds="$here/corpus/$side"
  echo "fuzz: replaying the $side corpus"
  "$harness" -runs=0 "$seeds"
  # New inputs go to a scratch folder; the kept corpus changes only by hand.
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  echo "fuzz: $side receiver, $runs runs"
  "$harness" -runs="$runs" -max_len=512 -seed=1 -artifact_prefix="$build/${side}-" "$scratch" "$seeds"
  rm -rf "$scratch"
done
echo "fuzz: no findings"
