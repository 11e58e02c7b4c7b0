#!/usr/bin/env bash
# Configures and builds Korvel in ./build (Release with debug info, Ninja, ccache).
# Extra arguments go to the configure step, e.g. -DKORVEL_SANITIZE=thread.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${KORVEL_BUILD_DIR:-build}
# Paths inside the checkout are hashed relative to it, so another clone reuses the cache.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
cmake -S . -B "$build_dir" -G Ninja "$@" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
