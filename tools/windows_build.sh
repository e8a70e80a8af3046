#!/usr/bin/env bash
# Cross-builds the Windows programs with mingw-w64 into <build dir> (the runnable folder is
# <build dir>/run): configure with the toolchain file, take base/ and the icon from the given
# Linux asset generator, build. Used by `rallix.sh windows` and by the test suite.
#   windows_build.sh <build dir> <linux assetgen> [build type]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=$1
assetgen=$(realpath "$2")
type=${3:-Release}
jobs=$(nproc 2>/dev/null || echo 2)

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$here" -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE="$type" -DRALLIX_ASSETGEN="$assetgen" "${launcher[@]}" >/dev/null
cmake --build "$build_dir" -j"$jobs"
