#!/usr/bin/env bash
# The installed game: `cmake --install` into a temporary prefix gives the programs, the read-only
# shared data and the documents; two users (two HOMEs, one through an XDG_DATA_HOME that does not
# exist yet) each play an attract match from anywhere and get their own settings, log and
# progress; a changed installation reaches a user on the next start while their settings stay;
# a data folder that cannot be written is reported and the game still plays, writing nothing
# into the installation.
set -u
run_dir=$(cd "$1" && pwd)
build_dir=$(dirname "$run_dir")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; [ -f "$work/out.txt" ] && tail -n 20 "$work/out.txt"; exit 1; }
prefix="$work/prefix"
share="$prefix/share/quillmark-rallix"

cmake --install "$build_dir" --prefix "$prefix" > "$work/install.txt" 2>&1 || { cat "$work/install.txt"; fail "install failed"; }
for file in bin/rallix-game bin/aru-viewer share/doc/quillmark-rallix/README.md share/doc/quillmark-rallix/LICENSE \
            share/quillmark-rallix/base/default.pcf share/quillmark-rallix/base/config.cfg \
            share/applications/org.quillmark.rallix.desktop share/metainfo/org.quillmark.rallix.metainfo.xml \
            share/icons/hicolor/48x48/apps/quillmark-rallix.png share/icons/hicolor/128x128/apps/quillmark-rallix.png \
            share/icons/hicolor/256x256/apps/quillmark-rallix.png; do
  [ -f "$prefix/$file" ] || fail "the installation lacks $file"
done
[ -x "$prefix/bin/rallix-game" ] || fail "the game is not executable"
for size in 48 128 256; do
  python3 - "$prefix/share/icons/hicolor/${size}x${size}/apps/quillmark-rallix.png" "$size" <<'PY' \
    || fail "the ${size}-pixel icon is not a ${size}x${size} PNG"
import struct, sys
data = open(sys.argv[1], "rb").read()
size = int(sys.argv[2])
assert data[:8] == b"\x89PNG\r\n\x1a\n" and struct.unpack(">II", data[16:24]) == (size, size)
PY
done
writable=$(find "$share/base" -type f -perm /222 | head -n 3)
[ -z "$writable" ] || fail "shared data is writable: $writable"
for stray in errlog.html shots .generated; do
  [ -e "$share/base/$stray" ] && fail "the installation holds $stray"
done

export ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy
if command -v xvfb-run >/dev/null; then
  launcher=(xvfb-run -a -s '-screen 0 1280x1024x24')
else
  export SDL_VIDEODRIVER=offscreen
  launcher=()
fi

# play <home> [XDG_DATA_HOME]: one attract match started from /, as a user would start it.
play() {
  mkdir -p "$1"
  (cd / && HOME="$1" XDG_DATA_HOME="${2:-}" XDG_RUNTIME_DIR="$1" ARU_DEMO=1 timeout 600 "${launcher[@]}" \
    "$prefix/bin/rallix-game") > "$work/out.txt" 2>&1 || fail "the installed game ended with status $?"
  grep -q "match over:" "$work/out.txt" || fail "no match was played"
}

# check_user <data folder>: the user's own files are theirs, the rest links to the installation.
check_user() {
  local base="$1/base"
  for own in config.cfg default.pcf errlog.html; do
    [ -f "$base/$own" ] && [ ! -L "$base/$own" ] || fail "$base/$own is not the user's own file"
  done
  grep -qF "Closing configuration file with exitcode 1" "$base/errlog.html" || fail "the run did not end cleanly"
  [ "$(readlink "$base/tex/intro.tex")" = "$share/base/tex/intro.tex" ] || fail "intro.tex is not linked"
}

play "$work/ann"
check_user "$work/ann/.local/share/quillmark-rallix"
play "$work/bob" "$work/bob-data/new"
check_user "$work/bob-data/new/quillmark-rallix"
[ -e "$work/bob/.local/share/quillmark-rallix" ] && fail "XDG_DATA_HOME was not used"
ann="$work/ann/.local/share/quillmark-rallix/base"
cmp -s "$ann/errlog.html" "$work/bob-data/new/quillmark-rallix/base/errlog.html" && fail "the two users share a log"
[ -e "$share/base/errlog.html" ] && fail "a run wrote into the installation"

# An update of the installation: a new file appears, a dropped one goes; Ann's settings stay.
printf '\n[Mine]\nKept=1\n' >> "$ann/config.cfg"
chmod u+w "$share/base" "$share/base/tex"
echo new > "$share/base/added.txt"
mv "$share/base/tex/intro.tex" "$work/intro.tex"
rm "$ann/errlog.html"  # the start is seen by its new log
(cd / && HOME="$work/ann" XDG_DATA_HOME= XDG_RUNTIME_DIR="$work/ann" ARU_VIDEO=null "$prefix/bin/rallix-game") \
  > "$work/out.txt" 2>&1 &
pid=$!
for _ in $(seq 1 200); do grep -qF "Let's Go!" "$ann/errlog.html" 2>/dev/null && break; sleep 0.1; done
kill -TERM $pid; wait $pid || fail "the updated start ended with status $?"
[ "$(cat "$ann/added.txt" 2>/dev/null)" = new ] || fail "a new installed file did not reach the user"
[ -L "$ann/tex/intro.tex" ] && fail "a dropped installed file is still linked"
grep -q '^Kept=1' "$ann/config.cfg" || fail "the user's settings were lost"
mv "$work/intro.tex" "$share/base/tex/intro.tex"

# XDG_DATA_HOME naming a file: said on standard error, and the game still plays.
echo file > "$work/not-a-folder"
mkdir -p "$work/tmp"
(cd / && HOME="$work/cid" XDG_DATA_HOME="$work/not-a-folder" TMPDIR="$work/tmp" ARU_DEMO=1 ARU_VIDEO=null "$prefix/bin/rallix-game") \
  > "$work/out.txt" 2> "$work/err.txt" || fail "the game did not play with an unwritable data folder"
grep -q "rallix-game: could not write $work/not-a-folder" "$work/err.txt" || { cat "$work/err.txt"; fail "no line on the unwritable folder"; }
grep -q "match over:" "$work/out.txt" || fail "no match with an unwritable data folder"
[ -e "$share/base/errlog.html" ] && fail "the fallback run wrote into the installation"
# Two copies of one user at once, one from the build folder's layout and one installed: the
# second sees the first, says so and keeps no log. Another user (another uid, no shared runtime
# folder) is not seen as a second copy.
message="Quillmark Rallix is already running; this copy writes no log"
mkdir -p "$work/dan/runtime" "$work/build-copy" && chmod 700 "$work/dan/runtime"
cp -r "$run_dir/rallix-game" "$run_dir/base" "$work/build-copy/"  # the build folder's layout, not its files
rm -f "$work/build-copy/base/errlog.html"
(cd "$work/build-copy" && HOME="$work/dan" XDG_RUNTIME_DIR="$work/dan/runtime" ARU_VIDEO=null exec ./rallix-game) \
  > "$work/first.txt" 2>&1 &
first=$!
for _ in $(seq 1 300); do grep -qF "Let's Go!" "$work/build-copy/base/errlog.html" 2>/dev/null && break; sleep 0.1; done
(cd / && HOME="$work/dan" XDG_DATA_HOME= XDG_RUNTIME_DIR="$work/dan/runtime" ARU_VIDEO=null \
  exec "$prefix/bin/rallix-game") > "$work/out.txt" 2>&1 &
second=$!
for _ in $(seq 1 300); do grep -qF "$message" "$work/out.txt" && break; sleep 0.1; done
sleep 1
kill -TERM $second
wait $second
grep -qF "$message" "$work/out.txt" || { kill -TERM $first; fail "the installed copy did not see the build folder's copy"; }
[ -e "$work/dan/.local/share/quillmark-rallix/base/errlog.html" ] && { kill -TERM $first; fail "the second copy wrote a log"; }
if [ "$(id -u)" -eq 0 ] && command -v setpriv > /dev/null; then
  chmod 755 "$work"
  mkdir -p "$work/eve" && chown nobody "$work/eve"
  (cd / && env -u XDG_RUNTIME_DIR HOME="$work/eve" XDG_DATA_HOME= ARU_VIDEO=null timeout 20 \
    setpriv --reuid=nobody --regid=nogroup --clear-groups "$prefix/bin/rallix-game") > "$work/out.txt" 2>&1
  grep -qF "$message" "$work/out.txt" && { kill -TERM $first; fail "another user's copy counted as a second copy"; }
  grep -qF "Let's Go!" "$work/eve/.local/share/quillmark-rallix/base/errlog.html" 2>/dev/null \
    || { kill -TERM $first; cat "$work/out.txt"; fail "another user's copy did not start"; }
fi
kill -TERM $first; wait $first || fail "the build folder's copy ended with status $?"
echo "installed game: layout, two users, update, unwritable folder and two copies at once as expected"
