#!/usr/bin/env bash
# Benchmark (not a test): how long `leafcraft-cli publish --if-changed` takes to find a book up to
# date, against the publish that wrote it and against `sha256sum` reading the PDF (the least a
# look at the PDF's content costs), in one run. Prints the medians and the ratios (the target:
# the up-to-date check at most 0.05 of the publish).
#
# Usage: bench/if-changed.sh [PDF]   (default: a generated 224-page book); ROUNDS=n (default 5)
set -euo pipefail
cd "$(dirname "$0")/.."

source bench/lib.sh
bench_cli
bench_work
bench_pdf "${1:-}"
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config" TMPDIR="$work/tmp"
mkdir -p "$TMPDIR"

pub=() check=() sum=()
for ((round = 1; round <= ${ROUNDS:-5}; round++)); do
    rm -rf "$work/book"
    pub+=("$(seconds "$cli" publish "$pdf" -o "$work/book" | cut -d" " -f1)")
    check+=("$(seconds "$cli" publish "$pdf" -o "$work/book" --if-changed | cut -d" " -f1)")
    sum+=("$(seconds sha256sum "$pdf" | cut -d" " -f1)")
    echo "round $round (wall s): publish ${pub[-1]}, up-to-date check ${check[-1]}, sha256sum ${sum[-1]}"
done
python3 - "${pub[*]}" "${check[*]}" "${sum[*]}" <<'PY'
import statistics, sys
pub, check, digest = ([float(x) for x in arg.split()] for arg in sys.argv[1:4])
med = statistics.median
print("publish: median %.3f s; --if-changed on the book it wrote: median %.3f s; sha256sum: median %.3f s"
      % (med(pub), med(check), med(digest)))
print("ratio up-to-date check/publish: %.3f (target <= 0.05)" % (med(check) / med(pub)))
print("ratio up-to-date check/sha256sum of the PDF: %.2f" % (med(check) / max(med(digest), 0.001)))
PY
