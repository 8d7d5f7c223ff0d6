#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need,
# when any is missing. Runs apt-get as root, or through sudo.
set -eu
packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  libfreetype-dev libpng-dev libjpeg-dev zlib1g-dev
  libx11-dev libxext-dev libxxf86vm-dev libxpm-dev libgl-dev libasound2-dev libxfixes-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xdotool x11-utils x11-apps x11-xkb-utils xclip imagemagick
  xserver-xorg-core xserver-xorg-video-dummy libgl1-mesa-dri
  fonts-dejavu-core fonts-dejavu-extra python3
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}" >&2
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
