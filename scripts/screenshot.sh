#!/usr/bin/env bash
# Takes a screenshot of the real window under Xvfb: start it, optionally load a picture
# through the real file dialog, tick every palette colour, choose the matching, style,
# width and scale, press Dither Image and Make Mosaic, then grab the screen.
# Needs xvfb, x11-apps (xwd), xdotool and imagemagick on the developer's machine.
# Usage: screenshot.sh OUT.png [PICTURE]   (with PICTURE: load, dither, make mosaic)
# XVFB_DISPLAY picks the first display number to try (99 by default). With PICTURE:
# STYLE ("1x Plates - studs out"), WIDTH (54), SCALE (2), MATCH (Perceptual or RGB),
# DITHER (the method's row, 1 Floyd Steinberg to 7 Nearest color; 7).
set -euo pipefail
out=$(realpath -m "${1:?usage: screenshot.sh OUT.png [PICTURE]}")
picture=${2:+$(realpath "$2")}
build=${BUILD:-build}
style=${STYLE:-1x Plates - studs out}
width=${WIDTH:-54}
scale=${SCALE:-2}
match=${MATCH:-Perceptual}
dither=${DITHER:-7}
export out picture build style width scale match dither
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
    xdotool mousemove 34 449 click 1       # All colours
    xdotool mousemove 184 $((9 + 15 * dither)) click 1  # the dither method
    xdotool mousemove 278 46 click 1       # the matching box
    sleep 1
    [ "$match" = Perceptual ] && xdotool key Down
    xdotool key Return
    xdotool mousemove 230 202 click 1 key ctrl+a
    xdotool type --delay 20 "$style"       # Mosaic Style
    xdotool key Return
    xdotool mousemove 244 160 click 1 key ctrl+a
    xdotool type --delay 20 "$width"       # Mosaic Width
    xdotool mousemove 244 253 click 1      # 2. Dither Image
    sleep 3
    xdotool mousemove 184 392 click 1      # Black Grid
    xdotool mousemove 244 277 click 1      # 3. Make Mosaic
    sleep 2
    xdotool mousemove 183 454 click 1      # Scale
    for _ in $(seq 2 "$scale"); do xdotool key Right; sleep 1; done
    sleep 2
    xdotool mousemove 600 300
  fi
  xwd -root -silent | convert xwd:- -crop 887x750+0+0 "$out"
  kill $app
'
