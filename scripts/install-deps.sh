#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing and benchmarking Korvel needs.
# Idempotent: when everything is already present it only checks and returns.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config git
  qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
  libjpeg62-turbo-dev libpng-dev zlib1g-dev libtiff-dev libopenjp2-7-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
  libudev-dev libxcb1-dev
  # real cameras through Video4Linux2, with the format conversion to 24-bit RGB
  libv4l-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libopencv-dev libvips-dev
  # the vipsthumbnail program, the baseline of the thumbnail list's benchmark
  libvips-tools
  clang libclang-rt-14-dev
  fonts-dejavu-core
  # other programs' encoders and decoders, which the image codec tests compare against
  imagemagick netpbm libtiff-tools libopenjp2-tools python3-pil
  # the ffmpeg and ffprobe programs, which read back the AVI writer's files in the tests
  ffmpeg
  # the SVG icon engine and the icon theme the toolbars fall back on
  qt6-svg-dev libqt6svg6 breeze-icon-theme
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
