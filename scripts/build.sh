#!/usr/bin/env bash
# Configures and builds Korvel in ./build (Release with debug info, Ninja, ccache).
# Extra arguments go to the configure step, e.g. -DKORVEL_SANITIZE=thread.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${KORVEL_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja "$@" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
