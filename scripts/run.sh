#!/usr/bin/env bash
# Installs what is missing, builds, puts a demo database next to the
# program when none is there, and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
build_dir="${TARSELA_BUILD_DIR:-build}"
bin="$build_dir/src/app"
if [ ! -f "$bin/marfondo.abs" ] && [ ! -f "$bin/datos/marfondo.abs" ]; then
  "$build_dir/src/cli/tarsela-cli" demo "$bin/marfondo.abs"
fi
exec "$bin/tarsela"
