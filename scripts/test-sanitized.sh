#!/usr/bin/env bash
# Builds the test suite with AddressSanitizer + UndefinedBehaviorSanitizer in its own
# build folder (build-asan unless KORVEL_BUILD_DIR says otherwise) and runs it.
# Any sanitizer report fails the test that raised it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
export KORVEL_BUILD_DIR=${KORVEL_BUILD_DIR:-build-asan}
scripts/build.sh -DKORVEL_TESTS=ON -DKORVEL_BENCH=OFF -DKORVEL_SANITIZE="address;undefined"
cd "$KORVEL_BUILD_DIR"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/../scripts/lsan.supp:print_suppressions=0}
ctest --output-on-failure -j"$(nproc)" --timeout 900
