#!/usr/bin/env bash
# Takes the pictures of the main window and the three dialogs into docs/screenshots/: builds the
# picture-taking program and runs it under a virtual X server, so that the windows are drawn as on
# a desktop, Japanese texts with the IPA Gothic font.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${GLINTFETCH_BUILD_DIR:-build}"
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target app_screenshots -j"$(nproc)"
out="$(pwd)/docs/screenshots"
mkdir -p "$out"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x900x24" \
  "$build/tests-bin/app-screenshots/app_screenshots" "$out"
