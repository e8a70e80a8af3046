#!/usr/bin/env bash
# Installs the Debian packages the game and its tools need; `bootstrap.sh windows` adds the
# Windows cross compiler and `bootstrap.sh test` what the test suite alone needs.
# Idempotent: does nothing when every package is already installed; otherwise runs
# apt-get update once and installs what is missing, without prompts.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config git
  libgtest-dev libgmock-dev googletest
  libsdl2-dev libsdl2-image-dev libgl-dev libgl1-mesa-dri libepoxy-dev
  libfreetype-dev libfontconfig1-dev fonts-dejavu-core zlib1g-dev libpng-dev
  libopenal-dev libopenal1 libenet-dev libvorbis-dev
  libgtk-3-dev
  xvfb xauth xdotool x11-apps imagemagick python3
)
case "${1:-}" in
  # the Windows cross build
  windows) PACKAGES+=(g++-mingw-w64-x86-64) ;;
  # the cross build, Wine and its media plugins for the Windows build's run, clang for the fuzzers,
  # the validators of the desktop entry and its AppStream description
  test) PACKAGES+=(g++-mingw-w64-x86-64 wine wine64 gstreamer1.0-plugins-base gstreamer1.0-plugins-good
                   clang libclang-rt-14-dev desktop-file-utils appstream) ;;
esac

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "bootstrap: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "bootstrap: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -y -q
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
