#!/usr/bin/env bash
# The Windows cross build as a check: builds the programs with mingw-w64 against the SDK's own
# headers, then makes sure every engine, game and configuration-tool logic source was compiled
# there, that our Windows-style headers were never on the include path, and that the compile
# really is against the SDK (a file using what only our headers give must fail).
#   check_windows_build.sh <cross build dir> <linux assetgen> <source dir>
set -u
build_dir=$1
assetgen=$2
source_dir=$(cd "$3" && pwd)
fail() { echo "FAIL: $*"; exit 1; }

command -v x86_64-w64-mingw32-g++-posix >/dev/null || fail "mingw-w64 is not installed (tools/bootstrap.sh installs it)"
bash "$source_dir/tools/windows_build.sh" "$build_dir" "$assetgen" Release > "$build_dir.log" 2>&1 ||
  { tail -n 60 "$build_dir.log"; fail "the Windows cross build failed (full output in $build_dir.log)"; }
commands="$build_dir/compile_commands.json"
[ -s "$commands" ] || fail "no $commands"

missing=0
checked=0
while IFS= read -r -d '' source; do
  checked=$((checked + 1))
  grep -qF "\"file\": \"$source\"" "$commands" || { echo "not compiled for Windows: $source"; missing=1; }
done < <(find "$source_dir/aru" "$source_dir/game" "$source_dir/aruConfig" -name '*.cpp' \
           -not -path "$source_dir/aruConfig/gtk/*" -print0 2>/dev/null)
[ $missing -eq 0 ] || fail "some sources were left out of the Windows build"
[ $checked -gt 40 ] || fail "only $checked sources found under $source_dir"
grep -qF -- "$source_dir/platform/include" "$commands" && fail "platform/include is on the Windows include path"

# The planted file compiles with our headers (which define SAFE_RELEASE) but not with the SDK's.
flags=$(python3 - "$commands" "$source_dir/aru/core/log.cpp" <<'PY'
import json, shlex, sys
for entry in json.load(open(sys.argv[1])):
    if entry["file"] == sys.argv[2]:
        args = shlex.split(entry["command"])
        keep = [a for a in args if a.startswith(("-I", "-isystem", "-std", "-D"))]
        print(" ".join(shlex.quote(a) for a in keep))
PY
)
[ -n "$flags" ] || fail "no compile command for aru/core/log.cpp"
planted=$(mktemp --suffix=.cpp)
trap 'rm -f "$planted"' EXIT
printf '#include <windows.h>\nvoid Drop(IUnknown* p) { SAFE_RELEASE(p); }\n' > "$planted"
if eval x86_64-w64-mingw32-g++-posix -fsyntax-only "$flags" "$planted" 2>/dev/null; then
  fail "a file using SAFE_RELEASE from windows.h compiled: the check is not against the SDK"
fi
echo "windows build ok: $checked sources compiled against the SDK"
