#!/usr/bin/env bash
# Starts the program. Without a display there is no window to show; then the headless
# demo runs instead (the command-line tool on the start picture).
set -euo pipefail
build=${1:-build}
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$build/bin/tesselka"
fi
echo "No display available (DISPLAY and WAYLAND_DISPLAY are unset): running the headless demo instead of the window."
if [ -x scripts/demo.sh ]; then
  exec bash scripts/demo.sh "$build"
fi
echo "The headless demo is not built yet."
