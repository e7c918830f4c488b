#!/usr/bin/env bash
# Vector (SVG) pages against the same book as JPG pictures at quality 1 (the peer), in one run:
# - bytes of the page files on disk (target at most 0.75x) and gzipped as a web server sends them
#   (target at most 0.25x);
# - publish time, median of the rounds, the two formats alternating (target at most 1.2x);
# - sharpness: a page file shown as the players show it, four times its size in points at a
#   device pixel ratio of 2 (8 pixels a point), against MuPDF's picture of the page drawn at that
#   resolution (576 dpi): SSIM of the grey values over the page's top half (target >= 0.97 for
#   SVG; the JPG book's score printed beside it);
# - first page painted and a page turn in Chromium, from disk and over http (ratios SVG/JPG).
# Usage: bench/vector.sh [PDF] [rounds]   (default: a generated 40-page text book, 3 rounds)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/lib.sh
bench_cli
bench_work
rounds="${2:-3}"
PAGES=40 bench_pdf "${1:-}"
for tool in mutool /usr/bin/python3 node; do
    command -v "$tool" >/dev/null || { echo "bench/vector.sh: $tool is missing (scripts/setup.sh)" >&2; exit 1; }
done
node scripts/build_players.mjs >/dev/null

# ---- publish time, formats alternating; the last round's books are measured below
declare -A wall
for ((r = 0; r < rounds; r++)); do
    for format in jpg svg; do
        rm -rf "$work/$format"
        t=$(seconds "$cli" publish "$pdf" -o "$work/$format" --format "$format" --quality 1)
        wall[$format]+="${t%% *} "
    done
done
median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
jpg_time=$(echo "${wall[jpg]}" | median)
svg_time=$(echo "${wall[svg]}" | median)

# ---- bytes
bytes() { cat "$1"/files/page/* | wc -c; }
gzipped() { local sum=0 f; for f in "$1"/files/page/*; do sum=$((sum + $(gzip -6 -c "$f" | wc -c))); done; echo $sum; }
jpg_bytes=$(bytes "$work/jpg"); svg_bytes=$(bytes "$work/svg")
jpg_gz=$(gzipped "$work/jpg"); svg_gz=$(gzipped "$work/svg")
svg_files=$(ls "$work/svg/files/page" | grep -c '\.svg$' || true)

# ---- sharpness on page 2
n=2
read -r pw _ < <(pdfinfo -f $n -l $n "$pdf" | awk '/^Page.*size:/ { print $4, $6; exit }')
mutool draw -q -r 576 -o "$work/ref.png" "$pdf" $n
width=$(awk -v w="$pw" 'BEGIN { printf "%d", w * 4 + 0.5 }')
page_svg=$(ls "$work"/svg/files/page/$n.* | head -1)
node bench/vector.mjs shot "$page_svg" "$width" "$work/svg.png"
node bench/vector.mjs shot "$work/jpg/files/page/$n.jpg" "$width" "$work/jpg.png"
read -r ssim_svg ssim_jpg < <(/usr/bin/python3 - "$work/ref.png" "$work/svg.png" "$work/jpg.png" <<'EOF'
import sys
import numpy as np
from PIL import Image

def grey(path, size=None):
    img = Image.open(path).convert("L")
    if size and img.size != size:
        img = img.resize(size, Image.LANCZOS)
    return np.asarray(img, dtype=np.float64)

def box(a, k=7):
    # Mean over k x k windows (valid part), by cumulative sums.
    c = np.cumsum(np.cumsum(np.pad(a, ((1, 0), (1, 0))), 0), 1)
    return (c[k:, k:] - c[:-k, k:] - c[k:, :-k] + c[:-k, :-k]) / (k * k)

def ssim(x, y):
    c1, c2 = (0.01 * 255) ** 2, (0.03 * 255) ** 2
    mx, my = box(x), box(y)
    vx, vy, cxy = box(x * x) - mx * mx, box(y * y) - my * my, box(x * y) - mx * my
    return float(np.mean(((2 * mx * my + c1) * (2 * cxy + c2)) / ((mx * mx + my * my + c1) * (vx + vy + c2))))

ref = grey(sys.argv[1])
half = ref.shape[0] // 2
out = []
for shown in sys.argv[2:]:
    s = grey(shown, (ref.shape[1], ref.shape[0]))
    out.append("%.4f" % ssim(ref[:half], s[:half]))
print(" ".join(out))
EOF
)

# ---- first page and page turn in Chromium
times=$(node bench/vector.mjs times 5 "$work/jpg" "$work/svg")
field() { echo "$times" | /usr/bin/python3 -c "
import json, sys
rows = {(r['book'], r['origin']): r for r in map(json.loads, sys.stdin)}
print(rows[('$1', '$2')]['$3'])"; }

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
verdict() { awk -v r="$1" -v t="$2" -v up="$3" 'BEGIN { ok = up ? r >= t : r <= t; print ok ? "met" : "MISSED" }'; }
echo "peer: the same book as JPG pages at quality 1; $svg_files of $pages pages written as SVG"
r=$(ratio "$svg_bytes" "$jpg_bytes")
echo "page files on disk: SVG $svg_bytes B, JPG $jpg_bytes B, ratio $r  target 0.75: $(verdict "$r" 0.75 0)"
r=$(ratio "$svg_gz" "$jpg_gz")
echo "page files gzipped: SVG $svg_gz B, JPG $jpg_gz B, ratio $(ratio "$svg_gz" "$jpg_bytes") of the JPG files ($r of them gzipped)  target 0.25: $(verdict "$(ratio "$svg_gz" "$jpg_bytes")" 0.25 0)"
r=$(ratio "$svg_time" "$jpg_time")
echo "publish time (median of $rounds): SVG $svg_time s, JPG $jpg_time s, ratio $r  target 1.2: $(verdict "$r" 1.2 0)"
echo "sharpness, page $n at 4x zoom, DPR 2, SSIM against MuPDF at 576 dpi: SVG $ssim_svg (target 0.97: $(verdict "$ssim_svg" 0.97 1)), JPG $ssim_jpg"
for origin in file http; do
    o_svg=$(field svg $origin open); o_jpg=$(field jpg $origin open)
    t_svg=$(field svg $origin turn); t_jpg=$(field jpg $origin turn)
    f_svg=$(field svg $origin frame); f_jpg=$(field jpg $origin frame)
    printf "Chromium %-4s first page: SVG %.0f ms, JPG %.0f ms, ratio %s; page turn: SVG %.0f ms, JPG %.0f ms, ratio %s; longest frame: SVG %.0f ms, JPG %.0f ms\n" \
        "$origin" "$o_svg" "$o_jpg" "$(ratio "$o_svg" "$o_jpg")" "$t_svg" "$t_jpg" "$(ratio "$t_svg" "$t_jpg")" "$f_svg" "$f_jpg"
done
