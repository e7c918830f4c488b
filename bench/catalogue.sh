#!/usr/bin/env bash
# Benchmark (not a test): a catalogue of PDFs published with scripts/publish-catalogue.sh (GNU
# Parallel, one job per processor) against the same publishes one after the other in a shell
# loop, in one run; then the catalogue run again with nothing changed (every book up to date).
# Prints the wall times, pages per second and the ratios. Each publish already converts pages
# on every processor; running several at once gains what one book's single-threaded steps
# leave idle, so the target is modest: the catalogue at most 0.9 of the loop. (The up-to-date
# check of one book is measured on its own by bench/if-changed.sh.)
#
# Usage: bench/catalogue.sh [COUNT [PAGES]]   (default: 12 PDFs of 12 pages)
set -euo pipefail
cd "$(dirname "$0")/.."

count=${1:-12} pages=${2:-12}

# shellcheck source=bench/lib.sh
source bench/lib.sh
bench_cli
bench_work
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config" TMPDIR="$work/tmp"
mkdir -p "$TMPDIR" "$work/pdfs"
for ((i = 0; i < count; i++)); do
    python3 scripts/make_pdfs.py --pages "$pages" "$work/pdfs/sheet $i.pdf"
done
echo "$count PDFs of $pages pages, $(nproc) processors"

loop() {
    for pdf in "$work/pdfs"/*.pdf; do
        "$cli" publish "$pdf" -o "$work/loop/$(basename "$pdf" .pdf)" >/dev/null
    done
}
export -f loop
export cli work
sequential=$(seconds bash -c loop | cut -d" " -f1)
catalogue=$(seconds env LEAFCRAFT_CLI="$cli" scripts/publish-catalogue.sh "$work/pdfs" "$work/books" | cut -d" " -f1)
again=$(seconds env LEAFCRAFT_CLI="$cli" scripts/publish-catalogue.sh "$work/pdfs" "$work/books" | cut -d" " -f1)
awk -v s="$sequential" -v c="$catalogue" -v a="$again" -v n=$((count * pages)) -v books="$count" 'BEGIN {
    printf "one after the other: %.2f s (%.1f pages/s)\n", s, n / s
    printf "publish-catalogue.sh: %.2f s (%.1f pages/s)\n", c, n / c
    printf "publish-catalogue.sh, all up to date: %.2f s\n", a
    printf "ratio catalogue/loop: %.2f (target <= 0.9)\n", c / s
    printf "ratio up to date/first run: %.3f (%.2f s a book)\n", a / c, a / books
}'
