#!/usr/bin/env bash
# Fails when a file outside platform/ includes SDL, OpenGL, OpenAL, ENet, FreeType, fontconfig,
# Vorbis, GTK, POSIX or Linux headers: those belong to the platform layer only.
# aruConfig's GTK front end (aruConfig/gtk/) and the asset generator are allowed their toolkits.
set -u
root=${1:-.}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# The check must be able to fail: a planted include in a scratch tree has to be reported.
if [ "${2:-}" != "--inner" ]; then
  scratch=$(mktemp -d)
  mkdir -p "$scratch/game" "$scratch/aru"
  printf '#include <SDL2/SDL.h>\nint x;\n' > "$scratch/game/planted.cpp"
  if bash "$here/check_layering.sh" "$scratch" --inner > /dev/null; then
    rm -rf "$scratch"
    echo "the layering check did not notice a planted SDL include"
    exit 1
  fi
  rm -rf "$scratch"
fi

cd "$root" || exit 2
pattern='#\s*include\s*[<"](SDL|GL/|EGL/|epoxy/|AL/|enet/|vorbis/|ogg/|ft2build|freetype/|fontconfig/|stb_|sys/|unistd|pthread|arpa/|netinet/|netdb|dlfcn|dirent|fcntl|poll\.h|signal\.h|semaphore\.h|spawn\.h|termios|linux/|gtk/|glib)'
files=$(find aru game aruConfig -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.inl' \) \
        -not -path 'aruConfig/gtk/*' 2>/dev/null)
[ -z "$files" ] && exit 0
hits=$(grep -nHE "$pattern" $files)
if [ -n "$hits" ]; then
  echo "These files outside platform/ include platform-only headers:"
  echo "$hits"
  exit 1
fi
echo "layering ok: $(echo "$files" | wc -l) files checked"
