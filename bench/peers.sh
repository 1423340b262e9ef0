#!/usr/bin/env bash
# Measures the colour reduction and the PNG writing against two established tools on the
# same 24-megapixel photograph and the same palettes, in one run, and prints the ratios:
#   - Pillow's Image.quantize(palette=..., dither=FLOYDSTEINBERG / NONE), timed in process;
#   - ImageMagick's whole command `convert PHOTO -dither FloydSteinberg -remap PAL null:`;
#   - our bench_reduce (Floyd-Steinberg and nearest colour) and, when it is built, the
#     whole command `tesselka-cli convert PHOTO --dither floyd --stud-png OUT`;
#   - the whole command's wall clock and peak memory (/usr/bin/time -v) on the 24-megapixel
#     JPEG against ImageMagick's remap and Pillow's open + quantize, and ours alone on 2, 24
#     and 400 megapixels, with and without --dithered;
#   - PNG writing of the photo and of its dithered picture (the very same pixels for
#     every program): Pillow's Image.save at its default level (6) and at level 1, timed
#     in process; ImageMagick's whole command `convert -size 6000x4000 rgb:RAW OUT.png`
#     (raw pixels in, so no decoding is counted); our bench_png; and the whole command
#     above with and without `--dithered OUT.png`.
# Usage: bash bench/peers.sh [BUILD_DIR]   (the Release build of `make bench`)
# The peers are needed only here, so this script installs them (Debian's python3-pil and
# imagemagick) instead of the project's dependency script.
set -euo pipefail

build=${1:-build-bench}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
photo_src=/usr/share/backgrounds/sunset_by_Aitzol_Berasategi.jpg
work=${TMPDIR:-/tmp}/tesselka-peers
python=/usr/bin/python3
magick=/usr/bin/convert

need=()
dpkg-query -W -f='${Status}' python3-pil 2>/dev/null | grep -q 'install ok installed' || need+=(python3-pil)
dpkg-query -W -f='${Status}' imagemagick 2>/dev/null | grep -q 'install ok installed' || need+=(imagemagick)
dpkg-query -W -f='${Status}' time 2>/dev/null | grep -q 'install ok installed' || need+=(time)
dpkg-query -W -f='${Status}' lomiri-wallpapers-16.04 2>/dev/null | grep -q 'install ok installed' ||
  need+=(lomiri-wallpapers-16.04)
if [ ${#need[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing the benchmark peers: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

mkdir -p "$work"
photo=$work/photo-6000x4000.jpg

# The photo enlarged to 6000 x 4000 and the two palettes (the 7 colours ticked at start,
# all 41), read from the program's own palette table.
"$python" - "$root/src/colours/palette.cpp" "$photo_src" "$work" <<'EOF'
import os, re, sys
from PIL import Image
table, src, work = sys.argv[1:4]
rows = re.findall(r'\{\s*\d+,\s*\d+,\s*\d+,\s*(\d+),\s*(true|false),', open(table).read())
assert len(rows) == 41, len(rows)
palettes = {'7': [int(c) for c, start in rows if start == 'true'], '41': [int(c) for c, _ in rows]}
for name, colours in palettes.items():
    rgb = [(c & 255, (c >> 8) & 255, (c >> 16) & 255) for c in colours]
    strip = Image.new('RGB', (len(rgb), 1))
    strip.putdata(rgb)
    strip.save(os.path.join(work, 'palette-%s.png' % name))
photo = os.path.join(work, 'photo-6000x4000.jpg')
if not os.path.exists(photo):
    Image.open(src).convert('RGB').resize((6000, 4000), Image.LANCZOS).save(photo, quality=92)
EOF

median() { sort -g | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
seconds() { # seconds of one run of a command, output discarded
  local t0 t1
  t0=$(date +%s.%N)
  "$@" >/dev/null 2>&1
  t1=$(date +%s.%N)
  awk -v a="$t0" -v b="$t1" 'BEGIN {printf "%.3f\n", b - a}' 
}

echo "== peers on $(basename "$photo") (24 megapixels)"

# Pillow, in process: CPU ns per pixel of quantize alone (one thread, as bench_reduce
# counts), median of 3.
pillow=$("$python" - "$work" <<'EOF'
import os, sys, time
from PIL import Image
work = sys.argv[1]
img = Image.open(os.path.join(work, 'photo-6000x4000.jpg')).convert('RGB')
px = img.width * img.height
out = []
for name in ('7', '41'):
    colours = list(Image.open(os.path.join(work, 'palette-%s.png' % name)).convert('RGB').getdata())
    flat = [v for c in colours for v in c]
    flat += list(colours[0]) * (256 - len(colours))  # padding repeats a real colour
    pal = Image.new('P', (1, 1))
    pal.putpalette(flat)
    for dither, label in ((Image.Dither.FLOYDSTEINBERG, 'floyd'), (Image.Dither.NONE, 'nearest')):
        times = []
        for _ in range(3):
            t0 = time.process_time()
            img.quantize(palette=pal, dither=dither)
            times.append(time.process_time() - t0)
        out.append('%s_%s %.3f' % (label, name, sorted(times)[1] * 1e9 / px))
print(' '.join(out))
EOF
)
pil() { echo "$pillow" | tr ' ' '\n' | paste - - | awk -v k="$1" '$1 == k {print $2}'; }

# Ours: bench_reduce on the very same file.
ours_json=$(TESSELKA_BENCH_PHOTO="$photo" QT_QPA_PLATFORM=offscreen "$build/bin/bench_reduce" \
  --benchmark_filter='DitherFloydSteinberg|DitherNearest' --benchmark_format=json 2>/dev/null)
ours() {
  echo "$ours_json" | "$python" -c '
import json, sys
key = sys.argv[1]
for b in json.load(sys.stdin)["benchmarks"]:
    if b.get("aggregate_name") == "median" and key in b["name"]:
        print("%.3f" % (b["ns_per_px"] * 1e9))' "$1"
}

printf '%-34s %10s %10s %8s\n' "reduction, ns per pixel" "tesselka" "Pillow" "ratio"
for n in 7 41; do
  for kind in floyd nearest; do
    case $kind in floyd) name=DitherFloydSteinberg_$n ;; nearest) name=DitherNearest_$n ;; esac
    o=$(ours "$name/")
    p=$(pil "${kind}_$n")
    printf '%-34s %10s %10s %8s\n' "$kind, $n colours" "$o" "$p" "$(awk -v p="$p" -v o="$o" 'BEGIN {printf "%.2fx", p / o}')"
  done
done
fs7=$(ours "DitherFloydSteinberg_7/")
printf 'target: Floyd-Steinberg at most 6 ns per pixel (7 colours): %s (%s)\n' "$fs7" \
  "$(awk -v o="$fs7" 'BEGIN {print (o <= 6 ? "met" : "not met")}')"

# Whole commands, wall clock, median of 3, taken in turns so that both see the same
# load: ImageMagick's remap, its JPEG decode alone, and our command line.
cli=$build/bin/tesselka-cli
im=() dec=() runs=()
for _ in 1 2 3; do
  im+=("$(seconds "$magick" "$photo" -dither FloydSteinberg -remap "$work/palette-7.png" null:)")
  dec+=("$(seconds "$magick" "$photo" null:)")
  if [ -x "$cli" ]; then
    runs+=("$(seconds env QT_QPA_PLATFORM=offscreen "$cli" convert "$photo" --dither floyd --stud-png "$work/studs.png")")
  fi
done
im_s=$(printf '%s\n' "${im[@]}" | median)
dec_s=$(printf '%s\n' "${dec[@]}" | median)
printf 'ImageMagick convert -dither FloydSteinberg -remap (7 colours): %.2f s (decode alone %.2f s)\n' "$im_s" "$dec_s"
if [ ${#runs[@]} -gt 0 ]; then
  cli_s=$(printf '%s\n' "${runs[@]}" | median)
  printf 'tesselka-cli convert --dither floyd --stud-png: %.2f s, %.1fx faster than ImageMagick\n' \
    "$cli_s" "$(awk -v a="$im_s" -v b="$cli_s" 'BEGIN {print a / b}')"
else
  echo "tesselka-cli is not built in $build; the whole-command comparison is skipped."
fi

# Whole commands with their peak memory: "seconds MB" of one run (wall clock, maximum
# resident set), output discarded.
timed() {
  local log=$work/time.log
  /usr/bin/time -v -o "$log" "$@" >/dev/null 2>&1 || echo "failed: $*" >&2
  awk -F': ' '/Elapsed \(wall clock\)/ {n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]; el = s}
              /Maximum resident set size/ {kb = $2}
              END {printf "%.3f %.1f\n", el, kb / 1024}' "$log"
}
medians() { # the median seconds and the median MB of "seconds MB" lines
  local lines
  lines=$(cat)
  printf '%s %s\n' "$(echo "$lines" | cut -d' ' -f1 | median)" "$(echo "$lines" | cut -d' ' -f2 | median)"
}
cat >"$work/pillow-quantize.py" <<'EOF2'
import sys
from PIL import Image
img = Image.open(sys.argv[1]).convert('RGB')
pal = Image.new('P', (1, 1))
colours = list(Image.open(sys.argv[2]).convert('RGB').getdata())
pal.putpalette([v for c in colours for v in c] + list(colours[0]) * (256 - len(colours)))
img.quantize(palette=pal, dither=Image.Dither.FLOYDSTEINBERG)
EOF2
if [ -x "$cli" ]; then
  # The other sizes: 2 megapixels (JPEG) and 400 (PNG, the largest picture the program takes).
  "$python" - "$photo" "$work" <<'EOF2'
import os, sys
from PIL import Image
photo, work = sys.argv[1:3]
small = os.path.join(work, 'photo-1732x1155.jpg')
large = os.path.join(work, 'photo-20000x20000.png')
if not os.path.exists(small) or not os.path.exists(large):
    img = Image.open(photo).convert('RGB')
    img.resize((1732, 1155), Image.LANCZOS).save(small, quality=92)
    img.resize((20000, 20000), Image.BILINEAR).save(large, compress_level=1)
EOF2
  echo "== whole commands, 24 MP JPEG to the stud grid, Floyd-Steinberg, 7 colours (median of 3, in turns; load $(cut -d' ' -f1-3 /proc/loadavg))"
  im_m=() pil_m=() ours_m=()
  for _ in 1 2 3; do
    im_m+=("$(timed "$magick" "$photo" -dither FloydSteinberg -remap "$work/palette-7.png" null:)")
    pil_m+=("$(timed "$python" "$work/pillow-quantize.py" "$photo" "$work/palette-7.png")")
    ours_m+=("$(timed env QT_QPA_PLATFORM=offscreen "$cli" convert "$photo" --dither floyd --stud-png "$work/studs.png")")
  done
  read -r ours_s ours_mb < <(printf '%s\n' "${ours_m[@]}" | medians)
  printf '%-44s %8s %8s %10s\n' program seconds "peak MB" "time ratio"
  for prog in im pil ours; do
    case $prog in
      im) label="ImageMagick convert -remap" && set -- "${im_m[@]}" ;;
      pil) label="Pillow open + quantize" && set -- "${pil_m[@]}" ;;
      ours) label="tesselka-cli convert --stud-png" && set -- "${ours_m[@]}" ;;
    esac
    read -r s mb < <(printf '%s\n' "$@" | medians)
    printf '%-44s %8.2f %8.1f %9.1fx\n' "$label" "$s" "$mb" "$(awk -v a="$s" -v b="$ours_s" 'BEGIN {print a / b}')"
  done
  read -r im_s _ < <(printf '%s\n' "${im_m[@]}" | medians)
  awk -v r="$(awk -v a="$im_s" -v b="$ours_s" 'BEGIN {print a / b}')" -v mb="$ours_mb" 'BEGIN {
    printf "target: at least 8x faster than ImageMagick: %.1fx (%s); under 40 MB: %.1f MB (%s)\n",
      r, (r >= 8 ? "met" : "NOT met"), mb, (mb < 40 ? "met" : "NOT met") }'

  echo "== tesselka-cli convert --dither floyd --stud-png by size (median of 3; load $(cut -d' ' -f1-3 /proc/loadavg))"
  printf '%-26s %8s %8s %8s %8s\n' picture seconds "peak MB" "+dith s" "+dith MB"
  for pic in "$work/photo-1732x1155.jpg" "$photo" "$work/photo-20000x20000.png"; do
    plain=() dith=()
    for _ in 1 2 3; do
      plain+=("$(timed env QT_QPA_PLATFORM=offscreen "$cli" convert "$pic" --dither floyd --stud-png "$work/studs.png")")
      dith+=("$(timed env QT_QPA_PLATFORM=offscreen "$cli" convert "$pic" --dither floyd --stud-png "$work/studs.png" \
        --dithered "$work/dithered-size.png")")
    done
    read -r ps pm < <(printf '%s\n' "${plain[@]}" | medians)
    read -r ds dm < <(printf '%s\n' "${dith[@]}" | medians)
    printf '%-26s %8.2f %8.1f %8.2f %8.1f\n' "$(basename "$pic")" "$ps" "$pm" "$ds" "$dm"
  done
  # The last size is the 400-megapixel PNG.
  awk -v p="$pm" -v d="$dm" 'BEGIN {
    printf "target: 400 MP under 200 MB: %.1f MB (%s); with --dithered under 300 MB: %.1f MB (%s)\n",
      p, (p < 200 ? "met" : "NOT met"), d, (d < 300 ? "met" : "NOT met") }'
  rm -f "$work/dithered-size.png"
fi

# PNG writing. Our command line writes the two pictures (the photo as the tone step
# leaves it, and its Floyd-Steinberg dithering to the 7 colours ticked at start) and
# every program then writes those pixels.
if [ ! -x "$cli" ]; then
  echo "tesselka-cli is not built in $build; the PNG comparison is skipped."
  exit 0
fi
QT_QPA_PLATFORM=offscreen "$cli" convert "$photo" --dither floyd --stud-png "$work/studs.png" \
  --adjusted "$work/adjusted.png" --dithered "$work/dithered.png" --quiet >/dev/null
echo "== PNG writing of 6000 x 4000 pictures (seconds: median of 3, wall clock; load $(cut -d' ' -f1-3 /proc/loadavg))"

# Pillow in process, and the raw pixels for ImageMagick.
pil_png=$("$python" - "$work" <<'EOF'
import io, os, sys, time
from PIL import Image
work = sys.argv[1]
for name in ('adjusted', 'dithered'):
    img = Image.open(os.path.join(work, name + '.png')).convert('RGB')
    img.load()
    with open(os.path.join(work, name + '.rgb'), 'wb') as raw:
        raw.write(img.tobytes())
    for label, options in (('pillow6', {}), ('pillow1', {'compress_level': 1})):
        times = []
        for _ in range(3):
            out = io.BytesIO()
            t0 = time.perf_counter()
            img.save(out, 'PNG', **options)
            times.append(time.perf_counter() - t0)
        print('%s_%s %.3f %d' % (label, name, sorted(times)[1], out.tell()))
EOF
)

ours_png=$(TESSELKA_BENCH_ADJUSTED="$work/adjusted.png" TESSELKA_BENCH_DITHERED="$work/dithered.png" \
  QT_QPA_PLATFORM=offscreen "$build/bin/bench_png" --benchmark_filter=Tesselka --benchmark_format=json 2>/dev/null |
  "$python" -c '
import json, sys
for b in json.load(sys.stdin)["benchmarks"]:
    if b.get("aggregate_name") == "median":
        name = "ours_" + b["name"].split("/")[0].split("_")[-1].lower()
        print("%s %.3f %d" % (name, b["real_time"] / 1e3, round(b["MB"] * 1e6)))')

magick_png=""
for name in adjusted dithered; do
  ts=()
  for _ in 1 2 3; do
    ts+=("$(seconds "$magick" -size 6000x4000 -depth 8 "rgb:$work/$name.rgb" "$work/magick-$name.png")")
  done
  magick_png+="magick_$name $(printf '%s\n' "${ts[@]}" | median) $(stat -c %s "$work/magick-$name.png")"$'\n'
done

png_rows=$(printf '%s\n%s\n%s\n' "$pil_png" "$ours_png" "$magick_png")
field() { echo "$png_rows" | awk -v k="$1" -v f="$2" '$1 == k {print $f}'; }
printf '%-9s %-28s %8s %8s %12s %11s\n' picture program seconds MB "vs Pillow 6" "size vs P6"
for name in adjusted dithered; do
  base_s=$(field "pillow6_$name" 2)
  base_b=$(field "pillow6_$name" 3)
  for prog in ours pillow6 pillow1 magick; do
    case $prog in
      ours) label="tesselka (bench_png)" ;;
      pillow6) label="Pillow Image.save (level 6)" ;;
      pillow1) label="Pillow Image.save (level 1)" ;;
      magick) label="ImageMagick convert" ;;
    esac
    s=$(field "${prog}_$name" 2)
    b=$(field "${prog}_$name" 3)
    [ -n "$s" ] || continue
    printf '%-9s %-28s %8.3f %8.2f %11.1fx %+10.1f%%\n' "$name" "$label" "$s" \
      "$(awk -v b="$b" 'BEGIN {print b / 1e6}')" "$(awk -v a="$base_s" -v s="$s" 'BEGIN {print a / s}')" \
      "$(awk -v a="$base_b" -v b="$b" 'BEGIN {print 100 * (b / a - 1)}')"
  done
done

# The whole command with and without the full-size dithered picture, in turns.
without=() with=()
for _ in 1 2 3; do
  without+=("$(seconds env QT_QPA_PLATFORM=offscreen "$cli" convert "$photo" --dither floyd --stud-png "$work/studs.png")")
  with+=("$(seconds env QT_QPA_PLATFORM=offscreen "$cli" convert "$photo" --dither floyd --stud-png "$work/studs.png" \
    --dithered "$work/dithered-cli.png")")
done
without_s=$(printf '%s\n' "${without[@]}" | median)
with_s=$(printf '%s\n' "${with[@]}" | median)
printf 'tesselka-cli convert --dither floyd --stud-png: %.2f s; with --dithered: %.2f s (%.2fx)\n' \
  "$without_s" "$with_s" "$(awk -v a="$with_s" -v b="$without_s" 'BEGIN {print a / b}')"
