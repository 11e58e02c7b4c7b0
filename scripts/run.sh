#!/usr/bin/env bash
# Installs what is missing, builds, and starts Korvel with the simulated camera.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh -DKORVEL_TESTS=OFF -DKORVEL_BENCH=OFF
export KRVCAMERA=${KRVCAMERA:-sim:13}
exec "${KORVEL_BUILD_DIR:-build}/src/app/korvel" "$@"
