#!/usr/bin/env bash
# Sets up the machine, builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
exe="${GLINTFETCH_BUILD_DIR:-build}/bin/glintfetch"
if [ ! -x "$exe" ]; then
  echo "The framework is built; the program itself is not part of this build yet." >&2
  exit 0
fi
exec "$exe" "$@"
