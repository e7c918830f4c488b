#!/usr/bin/env bash
# Benchmark (not a test): publishing a PDF from end to end (`leafcraft-cli publish`, JPG pages,
# default options: pages, thumbnails, phone pictures, search text and page words, links,
# bookmarks) against `pdftoppm -r 144 -jpeg` on the same pages, in one run. Prints the median
# wall times and their ratio (the target is at most 0.5), and the processor times (user +
# system), which other work on a shared machine disturbs less.
#
# Usage: bench/publish-pdf.sh [PDF]   (default: a generated 224-page book); ROUNDS=n (default 5)
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/release
cli=$build/tools/leafcraft-cli/leafcraft-cli
[[ -x $cli ]] || { echo "bench/publish-pdf.sh: build leafcraft-cli first (scripts/build.sh release)" >&2; exit 1; }

source bench/lib.sh
bench_work
bench_pdf "${1:-}"
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config" TMPDIR="$work/tmp"
mkdir -p "$TMPDIR"

# Rounds alternate so that both see the same load; on a shared machine other work only adds
# time, so medians and best runs are both shown.
ppm=() pub=()
for ((round = 1; round <= ${ROUNDS:-5}; round++)); do
    rm -rf "$work/ppm" "$work/book"
    mkdir -p "$work/ppm"
    ppm+=("$(seconds pdftoppm -r 144 -jpeg "$pdf" "$work/ppm/p" | tr " " /)")
    pub+=("$(seconds "$cli" publish "$pdf" -o "$work/book" | tr " " /)")
    echo "round $round (wall/cpu s): pdftoppm ${ppm[-1]}, publish ${pub[-1]}"
done
words=$(find "$work/book/files/search" -name 'words-*.js' | wc -l)
python3 - "${ppm[*]}" "${pub[*]}" "$words" <<'PY'
import statistics, sys
def split(arg, i):
    return [float(x.split("/")[i]) for x in arg.split()]
ppm, pub = split(sys.argv[1], 0), split(sys.argv[2], 0)
ppm_cpu, pub_cpu = split(sys.argv[1], 1), split(sys.argv[2], 1)
med = statistics.median
print("book pages with words files: %s" % sys.argv[3])
print("pdftoppm -r 144 -jpeg: wall median %.2f s, best %.2f s; cpu median %.2f s" % (med(ppm), min(ppm), med(ppm_cpu)))
print("leafcraft-cli publish: wall median %.2f s, best %.2f s; cpu median %.2f s" % (med(pub), min(pub), med(pub_cpu)))
print("cpu ratio publish/pdftoppm: %.2f" % (med(pub_cpu) / med(ppm_cpu)))
print("wall ratio publish/pdftoppm: median %.2f, best runs %.2f (target <= 0.5)"
      % (med(pub) / med(ppm), min(pub) / min(ppm)))
PY
