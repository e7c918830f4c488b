#!/usr/bin/env bash
# Measures the page import against pdftoppm on the same pages, in one run.
#
#   bench/import.sh [PDF]        (default: a generated 224-page book)
#
# Three rounds, alternating: `pdftoppm -r 144 -jpeg` (page images only), then our import of
# every page as JPG with its thumbnail and phone picture, then our import as SWF pages (one
# pdf2swf run per page, plus thumbnails and phone pictures). Prints the median times, the
# ratios to pdftoppm (targets: JPG <= 0.40, SWF <= 1.00), and the peak resident memory of
# importing a generated 1000-page book (target <= 250 MB).
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/release
if [[ ! -f $build/CMakeCache.txt ]]; then
    cmake --preset release -DLEAFCRAFT_BUILD_GUI=OFF >/dev/null
fi
cmake --build "$build" --target leafcraft-cli pdf2swf getswfSize >/dev/null
cli=$build/tools/leafcraft-cli/leafcraft-cli

source bench/lib.sh
bench_work
bench_pdf "${1:-}"

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

ppm=() jpg=() swf=() ppm_cpu=() jpg_cpu=() swf_cpu=()
for round in 1 2 3; do
    rm -rf "$work/ppm" "$work/jpg" "$work/swf"
    mkdir -p "$work/ppm"
    t=$(seconds pdftoppm -r 144 -jpeg "$pdf" "$work/ppm/p"); read -r w c <<<"$t"; ppm+=("$w"); ppm_cpu+=("$c")
    t=$(seconds "$cli" import-pages "$pdf" -o "$work/jpg" --format jpg --quality 85); read -r w c <<<"$t"; jpg+=("$w"); jpg_cpu+=("$c")
    t=$(seconds "$cli" import-pages "$pdf" -o "$work/swf" --format swf --quality 85); read -r w c <<<"$t"; swf+=("$w"); swf_cpu+=("$c")
    echo "round $round (wall/cpu s): pdftoppm ${ppm[-1]}/${ppm_cpu[-1]}, import jpg ${jpg[-1]}/${jpg_cpu[-1]}, import swf ${swf[-1]}/${swf_cpu[-1]}"
done
files_jpg=$(find "$work/jpg" -type f | wc -l)
files_swf=$(find "$work/swf" -type f | wc -l)
awk -v p="$(median "${ppm[@]}")" -v j="$(median "${jpg[@]}")" -v s="$(median "${swf[@]}")" \
    -v pc="$(median "${ppm_cpu[@]}")" -v jc="$(median "${jpg_cpu[@]}")" -v sc="$(median "${swf_cpu[@]}")" \
    -v fj="$files_jpg" -v fs="$files_swf" 'BEGIN {
    printf "medians (wall, cpu)                      wall s   ratio    cpu s   ratio\n"
    printf "pdftoppm -r 144 -jpeg (page images):   %7.3f          %7.3f\n", p, pc
    printf "import, JPG pages (%5d files):        %7.3f   %5.2f  %7.3f   %5.2f  (target: wall ratio <= 0.40)\n", fj, j, j / p, jc, jc / pc
    printf "import, SWF pages (%5d files):        %7.3f   %5.2f  %7.3f   %5.2f  (target: wall ratio <= 1.00)\n", fs, s, s / p, sc, sc / pc
}'

big=$work/book1000.pdf
python3 scripts/make_pdfs.py --pages 1000 "$big"
for format in jpg swf; do
    rm -rf "$work/big"
    /usr/bin/time -v "$cli" import-pages "$big" -o "$work/big" --format "$format" >/dev/null 2>"$work/time.txt"
    kb=$(awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }' "$work/time.txt")
    wall=$(awk '/Elapsed \(wall clock\)/ { print $NF }' "$work/time.txt")
    awk -v kb="$kb" -v f="$format" -v w="$wall" 'BEGIN {
        printf "1000-page import (%s): peak resident memory %.0f MB (target <= 250 MB), wall %s\n", f, kb / 1024, w }'
done
