#!/usr/bin/env bash
# Runs the Direct3D probe on the OpenGL device under Xvfb (Mesa's software renderer) and
# passes when every picture check passes. Usage: gl_device.sh <run-dir> <source-dir>.
# Exit 77 (skip) when xvfb-run is missing or no OpenGL device can be created.
set -u
run_dir=$(cd "${1:?run directory}" && pwd) || exit 1
probe="$run_dir/gl_device_probe"
if [ ! -x "$probe" ]; then
  echo "gl_device_probe is missing from $run_dir" >&2
  exit 1
fi
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "xvfb-run is not installed: skipping"
  exit 77
fi
cd "$run_dir" || exit 1
ARU_VIDEO=gl SDL_VIDEODRIVER=x11 timeout 120 \
  xvfb-run -a -s '-screen 0 1280x1024x24' "$probe"
status=$?
echo "gl_device_probe exit status: $status"
exit $status
