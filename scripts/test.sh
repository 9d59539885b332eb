#!/usr/bin/env bash
# Sets up the machine, builds, and runs every test. Extra arguments go to ctest (for example -R Xml).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
ctest --test-dir "${GLINTFETCH_BUILD_DIR:-build}" --output-on-failure -j "$(nproc)" --timeout 300 "$@"
