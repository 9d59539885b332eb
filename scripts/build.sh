#!/usr/bin/env bash
# Configures and builds the project into ${GLINTFETCH_BUILD_DIR:-build}.
# GLINTFETCH_SANITIZE=address,undefined (or thread) makes a sanitizer build; GLINTFETCH_WERROR=ON
# makes every warning an error, as CI builds.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${GLINTFETCH_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja \
  -DCMAKE_BUILD_TYPE="${GLINTFETCH_BUILD_TYPE:-RelWithDebInfo}" \
  -DGLINTFETCH_SANITIZE="${GLINTFETCH_SANITIZE:-}" \
  -DGLINTFETCH_WERROR="${GLINTFETCH_WERROR:-OFF}" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
