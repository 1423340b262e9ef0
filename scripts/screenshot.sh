#!/usr/bin/env bash
# Takes a screenshot of the real window under Xvfb: start, optionally press Dither Image
# and Make Mosaic, then grab the screen. Needs xvfb, x11-apps (xwd), xdotool and
# imagemagick on the developer's machine. Usage: screenshot.sh OUT.png [mosaic]
set -euo pipefail
out=${1:?usage: screenshot.sh OUT.png [mosaic]}
mode=${2:-start}
build=${BUILD:-build}
xvfb-run -a -s "-screen 0 1000x800x24" bash -c '
  set -e
  "'"$build"'/bin/tesselka" &
  app=$!
  sleep 3
  win=$(xdotool search --name "^Tesselka" | head -n 1)
  xdotool windowmove "$win" 0 0
  sleep 1
  if [ "'"$mode"'" = mosaic ]; then
    xdotool mousemove 244 253 click 1   # 2. Dither Image
    sleep 2
    xdotool mousemove 244 277 click 1   # 3. Make Mosaic
    sleep 2
  fi
  xwd -root -silent | convert xwd:- -crop 887x750+0+0 "'"$out"'"
  kill $app
'
