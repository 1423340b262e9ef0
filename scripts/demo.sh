#!/usr/bin/env bash
# The headless demo: the command-line tool turns the start picture into a mosaic and
# writes the stud grid, the rendered mosaic, the LDraw models and the 16 x 16 picture.
set -euo pipefail
build=${1:-build}
out=demo
mkdir -p "$out"
"$build/bin/tesselka-cli" convert data/start.png \
  --width 64 --dither floyd --palette default \
  --stud-png "$out/stud-grid.png" \
  --mosaic "$out/mosaic.png" --scale 2 --black-grid --stud-grid \
  --png16 "$out/mosaic-16x16.png" \
  --ldraw "$out/mosaic.ldr" --parts all \
  | sed 's/^/wrote /'
echo "The demo files are in $(cd "$out" && pwd)."
