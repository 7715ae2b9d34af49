#!/usr/bin/env bash
# Configures and builds into build/ (or $TARSELA_BUILD_DIR). Builds on this
# machine take a lock, so two of them never run at the same time.
# TARSELA_SANITIZE=ON builds with AddressSanitizer and UBSan (keep such a
# build in a folder of its own, e.g. TARSELA_BUILD_DIR=build-asan).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${TARSELA_BUILD_DIR:-build}"
if [ "${TARSELA_SANITIZE:-OFF}" = ON ]; then
  # The test lists are read by running the tests at build time.
  export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0:halt_on_error=1:abort_on_error=1}"
  export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
fi
exec 9>/tmp/tarsela-build.lock
flock 9
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  ${TARSELA_SANITIZE:+-DTARSELA_SANITIZE="$TARSELA_SANITIZE"} >/dev/null
cmake --build "$build_dir" -j"$(nproc)" "$@"
