#!/usr/bin/env bash
# Benchmark (not a test): the book writer alone on an imported 224-page book, against `cp -r`
# of the same page files, measured in the same run. Prints the ratio writer / cp; the target is
# at most 1.5.
#
# Usage: bench/publish.sh [BUILD_DIR]   (default build/release, then build/dev)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-}
if [[ -z "$build" ]]; then
    for b in build/release build/dev; do
        [[ -x "$b/tools/leafcraft-cli/leafcraft-cli" ]] && build=$b && break
    done
fi
cli="$build/tools/leafcraft-cli/leafcraft-cli"
[[ -x "$cli" ]] || { echo "bench/publish.sh: build leafcraft-cli first (scripts/build.sh release)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 scripts/make_pdfs.py --pages 224 "$work/book.pdf"

ns_now() { date +%s%N; }

# The writer is timed by the command itself (--timings: the import is not counted, and its
# files are flushed to disk before the writing starts). Here the import's work folder and the
# book share a file system, so the writer links the page pictures instead of copying them;
# with TMPDIR on another file system it copies them (BENCH_TMPDIR sets the work folder's
# place for that case). The peer is
# `cp -r` of the same page files (pages and thumbnails) of the book just written, with caches as
# warm as the writer's. Runs alternate so that both see the same load. On a shared machine other
# work only ever adds time, so the best run of each is the figure compared (medians shown too).
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config"
[[ -n "${BENCH_TMPDIR:-}" ]] && export TMPDIR=$BENCH_TMPDIR
runs=${RUNS:-5}
writes=()
copies=()
for ((i = 1; i <= runs; i++)); do
    "$cli" publish "$work/book.pdf" -o "$work/book$i" --timings >/dev/null 2>"$work/timings.txt"
    w=$(sed -n 's/^timings: .*write \([0-9]*\) ns.*/\1/p' "$work/timings.txt")
    [[ -n "$w" ]] || { cat "$work/timings.txt" >&2; exit 1; }
    writes+=("$w")
    mkdir -p "$work/copy$i"
    sync # as the command does before the timed writing
    t0=$(ns_now)
    cp -r "$work/book$i/files/page" "$work/book$i/files/thumb" "$work/copy$i/"
    t1=$(ns_now)
    copies+=($((t1 - t0)))
done

pages="$work/book1/files"
count=$(ls "$pages/page" | wc -l)
size=$(du -sk "$pages/page" "$pages/thumb" | awk '{s += $1} END {print s}')
python3 - "$count" "$size" "${writes[*]}" "${copies[*]}" <<'PY'
import statistics
import sys
count, size_kb = int(sys.argv[1]), int(sys.argv[2])
writes = [int(x) for x in sys.argv[3].split()]
copies = [int(x) for x in sys.argv[4].split()]
w, c = statistics.median(writes), statistics.median(copies)
print("pages: %d (%d KiB of page files), %d runs" % (count, size_kb, len(writes)))
print("writer: best %.1f ms, median %.1f ms (%s)" % (min(writes) / 1e6, w / 1e6, " ".join("%.0f" % (x / 1e6) for x in writes)))
print("cp -r:  best %.1f ms, median %.1f ms (%s)" % (min(copies) / 1e6, c / 1e6, " ".join("%.0f" % (x / 1e6) for x in copies)))
print("median ratio writer/cp: %.2f" % (w / c))
print("ratio writer/cp: %.2f (best runs; target <= 1.5)" % (min(writes) / min(copies)))
PY
