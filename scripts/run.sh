#!/usr/bin/env bash
# Sets up the machine, builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
exe="${GLINTFETCH_BUILD_DIR:-build}/bin/glintfetch"
if [ ! -x "$exe" ]; then
  echo "The build did not produce $exe." >&2
  exit 1
fi
exec "$exe" "$@"
