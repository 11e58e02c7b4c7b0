#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite through ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh -DKORVEL_TESTS=ON -DKORVEL_BENCH=ON
cd "${KORVEL_BUILD_DIR:-build}"
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure -j"$(nproc)" --timeout 600
