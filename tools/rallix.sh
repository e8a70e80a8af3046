#!/usr/bin/env bash
# The project's one entry point for people and CI.
#   rallix.sh play   install what is missing, build, prepare build/run/ and start the game there
#                    (without a display: one headless attract-mode match, saving pictures)
#   rallix.sh test   install what is missing, build with the sanitizers, run the whole test suite
#   rallix.sh build  install what is missing and build build/run/ without starting anything
#   rallix.sh windows  install what is missing, cross-build the Windows programs into
#                    build-windows/run/ (runnable as it is) and pack build-windows/rallix-windows-x64.zip
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
jobs=$(nproc 2>/dev/null || echo 2)

bash tools/bootstrap.sh "${1:-play}"

build() {  # build <dir> <build type> [cmake options...]
  local dir=$1 type=$2
  shift 2
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
}

case "${1:-play}" in
  play)
    started=$(date +%s)
    build build RelWithDebInfo -DRALLIX_TESTS=OFF
    echo "Built in $(( $(date +%s) - started )) s."
    cd build/run
    shift || true
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
      # No display: one short attract-mode match on the offscreen driver, with pictures.
      shots="$PWD/base/shots/demo"
      mkdir -p "$shots"
      echo "No display found: playing one computer-against-computer match headless."
      status=0
      SDL_VIDEODRIVER=offscreen ARU_DEMO=1 ARU_DEMO_SHOTS="$shots" ./rallix-game "$@" || status=$?
      echo "Pictures of the menu, the match and the results are in $shots"
      exit $status
    fi
    exec ./rallix-game "$@"
    ;;
  build)
    build build RelWithDebInfo -DRALLIX_TESTS=OFF
    ;;
  test)
    build build-test Asan -DRALLIX_TESTS=ON
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
    export LSAN_OPTIONS="suppressions=$here/tests/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    ctest --test-dir build-test --output-on-failure -j"$jobs" --timeout 600
    # The network transport calls the game's message handlers on its own threads: its tests and
    # the game's message tests run again under ThreadSanitizer (only those two binaries are built).
    cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Tsan -DRALLIX_TESTS=ON >/dev/null
    cmake --build build-tsan -j"$jobs" --target dplay8_tests multiplayer_tests
    TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1" build-tsan/tests/dplay8_tests
    TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1" build-tsan/tests/multiplayer_tests
    JOBS="$jobs" bash "$here/tests/fuzz/run_fuzzers.sh"
    ;;
  windows)
    # The game data and icon come from the Linux build's asset generator.
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j"$jobs" --target assetgen
    bash tools/windows_build.sh build-windows build/tools/assetgen/assetgen Release
    (cd build-windows && cpack -G ZIP >/dev/null)
    echo "Windows programs and base/: $here/build-windows/run"
    echo "Package: $here/build-windows/rallix-windows-x64.zip"
    ;;
  *)
    echo "usage: $0 play|build|test|windows" >&2
    exit 2
    ;;
esac
