#!/usr/bin/env bash
# Runs the Direct3D probe on the OpenGL device without any X server, through SDL's offscreen
# video driver (EGL on Mesa), so the device is checked on machines without Xvfb too.
# Usage: gl_device_offscreen.sh <run-dir> <source-dir>. Exit 77 when no OpenGL device exists.
set -u
run_dir=$(cd "${1:?run directory}" && pwd) || exit 1
probe="$run_dir/gl_device_probe"
if [ ! -x "$probe" ]; then
  echo "gl_device_probe is missing from $run_dir" >&2
  exit 1
fi
cd "$run_dir" || exit 1
# Mesa's EGL driver is unloaded before the sanitizer's leak check, which then cannot name the
# library behind its leftovers; the device's own leaks are checked by gl_device.sh.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
env -u DISPLAY -u WAYLAND_DISPLAY ARU_VIDEO=gl SDL_VIDEODRIVER=offscreen timeout 120 "$probe"
status=$?
echo "gl_device_probe exit status: $status"
exit $status
