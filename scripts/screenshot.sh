#!/usr/bin/env bash
# Takes a screenshot of the real window under Xvfb: start it, optionally load a picture
# through the real file dialog, press Dither Image and Make Mosaic, then grab the screen.
# Needs xvfb, x11-apps (xwd), xdotool and imagemagick on the developer's machine.
# Usage: screenshot.sh OUT.png [PICTURE]   (with PICTURE: load, dither, make mosaic)
# XVFB_DISPLAY picks the first display number to try (99 by default).
set -euo pipefail
out=$(realpath -m "${1:?usage: screenshot.sh OUT.png [PICTURE]}")
picture=${2:+$(realpath "$2")}
build=${BUILD:-build}
export out picture build
xvfb-run -a -n "${XVFB_DISPLAY:-99}" -s "-screen 0 1000x800x24" bash -c '
  set -e
  "$build/bin/tesselka" &
  app=$!
  sleep 3
  win=$(xdotool search --name "^Tesselka" | head -n 1)
  xdotool windowmove "$win" 0 0
  sleep 1
  if [ -n "$picture" ]; then
    xdotool mousemove 244 229 click 1      # 1. Load Image
    sleep 2
    xdotool type --delay 20 "$picture"
    xdotool key Return
    sleep 2
    xdotool mousemove 244 253 click 1      # 2. Dither Image
    sleep 2
    xdotool mousemove 184 392 click 1      # Black Grid
    xdotool mousemove 244 277 click 1      # 3. Make Mosaic
    sleep 2
    xdotool mousemove 600 300
  fi
  xwd -root -silent | convert xwd:- -crop 887x750+0+0 "$out"
  kill $app
'
