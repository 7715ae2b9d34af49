#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ (or $TARSELA_ASAN_BUILD_DIR) and runs every test under them; the
# first error found stops the test that met it, which then fails. Leak reports
# are off: the Qt libraries keep some memory until exit on purpose.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${TARSELA_ASAN_BUILD_DIR:-build-asan}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0:halt_on_error=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
TARSELA_SANITIZE=ON TARSELA_BUILD_DIR="$build_dir" bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
cd "$build_dir"
ctest --output-on-failure -j2 --timeout 1200
