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
python3 tests/data/make_pdfs.py --pages 224 "$work/book.pdf"

ms_now() { date +%s%N; }

# The import runs once; --timings reports how long the writer alone took.
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config"
"$cli" publish "$work/book.pdf" -o "$work/book" --timings >/dev/null 2>"$work/timings.txt"
write_ns=$(sed -n 's/^timings: .*write \([0-9]*\) ns.*/\1/p' "$work/timings.txt")
[[ -n "$write_ns" ]] || { cat "$work/timings.txt" >&2; exit 1; }

# The peer: copying the same page files (pages and thumbnails), caches as warm as the writer's.
pages="$work/book/files"
best=""
for i in 1 2 3; do
    rm -rf "$work/copy"
    mkdir -p "$work/copy"
    t0=$(ms_now)
    cp -r "$pages/page" "$pages/thumb" "$work/copy/"
    t1=$(ms_now)
    d=$((t1 - t0))
    if [[ -z "$best" || $d -lt $best ]]; then best=$d; fi
done

count=$(ls "$pages/page" | wc -l)
size=$(du -sk "$pages/page" "$pages/thumb" | awk '{s += $1} END {print s}')
python3 - "$write_ns" "$best" "$count" "$size" <<'PY'
import sys
write_ns, cp_ns, count, size_kb = (int(a) for a in sys.argv[1:])
print("pages: %d (%d KiB of page files)" % (count, size_kb))
print("writer: %.1f ms   cp -r: %.1f ms" % (write_ns / 1e6, cp_ns / 1e6))
print("ratio writer/cp: %.2f (target <= 1.5)" % (write_ns / cp_ns))
PY
