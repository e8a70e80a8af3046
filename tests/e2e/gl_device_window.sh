#!/usr/bin/env bash
# Runs the Direct3D probe (through gl_device.sh, under Xvfb) reading each picture from the back
# buffer before Present, so that a device whose back buffer fits its window draws into the
# window throughout; then once more with ARU_GL_OFFSCREEN=1 (the off-screen back buffer). Passes
# when every picture check of both runs passes; 77 (skip) as gl_device.sh.
# Usage: gl_device_window.sh <run-dir> <source-dir>.
set -u
here=$(cd "$(dirname "$0")" && pwd)
for offscreen in 0 1; do
  GL_PROBE_READ=back ARU_GL_OFFSCREEN=$offscreen bash "$here/gl_device.sh" "$@"
  status=$?
  echo "back-buffer reads, ARU_GL_OFFSCREEN=$offscreen: exit status $status"
  [ $status -eq 0 ] || exit $status
done
exit 0
