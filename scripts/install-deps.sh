#!/usr/bin/env bash
# Installs the Debian packages that building, playing, packaging and testing Trundlebay need.
# Only what is missing is installed; running it again does nothing. Recommendations stay off:
# the tests prove that the game needs no more than this, and some things must stay absent
# (zenity, xfonts-base), so that the error box is proved to need no helper program and no X
# core font.
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang llvm libclang-rt-dev
  libsdl2-dev libgl-dev libgl1-mesa-dri libglu1-mesa-dev
  libjpeg-dev libcairo2-dev libgtk-3-dev fontconfig fonts-dejavu-core
  nlohmann-json3-dev libglm-dev libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb xauth xdotool x11-utils imagemagick sox ffmpeg python3 python3-xlib mesa-utils
  valgrind desktop-file-utils python3-gi gir1.2-gtk-3.0
  openbox weston xwayland x11-xkb-utils libdecor-0-plugin-1-cairo
  dpkg-dev file lintian appstream
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
