#!/usr/bin/env bash
# Sets up the machine, builds, and runs the command-line program with the arguments given.
# The arguments are taken relative to the folder this was started from.
set -euo pipefail
here="$PWD"
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/setup.sh >&2
bash scripts/build.sh >&2
exe="$root/${GLINTFETCH_BUILD_DIR:-build}/bin/glintfetch-cli"
if [ ! -x "$exe" ]; then
  echo "The build did not produce $exe." >&2
  exit 1
fi
cd "$here"
exec "$exe" "$@"
