#!/usr/bin/env bash
# Configures and builds into build/ (or $TARSELA_BUILD_DIR). Builds on this
# machine take a lock, so two of them never run at the same time.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${TARSELA_BUILD_DIR:-build}"
exec 9>/tmp/tarsela-build.lock
flock 9
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j"$(nproc)" "$@"
