#!/usr/bin/env bash
# Runs aru-viewer on the OpenGL device under Xvfb and checks its screenshot: a 24-bit bitmap of the
# screen whose regions show the brick walls, the checkered floor, the banded sphere, the striped
# model and the yellow line of text. Usage: viewer.sh <run-dir> <source-dir>.
# Exit 77 (skip) when xvfb-run or python3 is missing.
set -u
run_dir=$(cd "${1:?run directory}" && pwd) || exit 1
source_dir=${2:-}
# Sanitizer builds: the libraries' own one-time allocations are listed in the suppressions.
if [ -n "$source_dir" ] && [ -z "${LSAN_OPTIONS:-}" ]; then
  export LSAN_OPTIONS="suppressions=$source_dir/tests/lsan.supp"
fi
viewer="$run_dir/aru-viewer"
if [ ! -x "$viewer" ]; then
  echo "aru-viewer is missing from $run_dir" >&2
  exit 1
fi
for tool in xvfb-run python3; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "$tool is not installed: skipping"
    exit 77
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$run_dir" || exit 1
ARU_VIDEO=gl SDL_VIDEODRIVER=x11 timeout 120 \
  xvfb-run -a -s '-screen 0 1280x1024x24' "$viewer" "$work/viewer.bmp"
status=$?
if [ $status -ne 0 ]; then
  echo "aru-viewer exit status: $status"
  exit 1
fi
python3 - "$work/viewer.bmp" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
assert data[:2] == b"BM", "not a bitmap"
width, height = struct.unpack_from("<ii", data, 18)
bits, = struct.unpack_from("<H", data, 28)
assert bits == 24 and len(data) == 54 + width * height * 3, "unexpected bitmap layout"
assert (width, height) == (1280, 1024), f"back buffer {width}x{height}, expected the Xvfb screen"

def pixel(x, y):  # y from the top of the screen
    at = 54 + ((height - 1 - y) * width + x) * 3
    b, g, r = data[at], data[at + 1], data[at + 2]
    return r, g, b

def count(box, test):
    x0, y0, x1, y1 = box
    return sum(1 for y in range(y0, y1, 2) for x in range(x0, x1, 2) if test(*pixel(x, y)))

checks = [
    ("yellow text at the top left", (40, 20, 1000, 60), lambda r, g, b: r > 200 and g > 200 and b < 130, 300),
    ("lit brick wall on the right", (1000, 300, 1260, 500), lambda r, g, b: r > 110 and g < 110 and b < 100, 2000),
    ("brick wall in shadow on the left", (20, 300, 300, 500), lambda r, g, b: r > g + 10 and r > b + 10, 2000),
    ("blue checkered floor", (100, 950, 1180, 1020), lambda r, g, b: b > 140 and r < 110, 1500),
    ("yellow band of the sphere", (370, 550, 560, 750), lambda r, g, b: r > 170 and g > 130 and b < 90, 500),
    ("dark band of the sphere", (370, 550, 560, 750), lambda r, g, b: r < 70 and g < 70 and b < 70, 100),
    ("green stripes of the model", (640, 560, 960, 660), lambda r, g, b: g > 110 and r < 110 and b < 120, 300),
]
failed = False
for name, box, test, minimum in checks:
    found = count(box, test)
    ok = found >= minimum
    failed |= not ok
    print(f"{'ok  ' if ok else 'FAIL'} {name}: {found} pixels (at least {minimum})")
sys.exit(1 if failed else 0)
PY
