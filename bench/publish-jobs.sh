#!/usr/bin/env bash
# Benchmark (not a test): how a whole publish scales with the processor cores, on a document as
# hard to draw as a typeset manual (scripts/make_manual.py: embedded Type 1 and TrueType fonts,
# dense text on every page, tables, line drawings, a few pictures). Rounds alternate, in one run:
# `pdftoppm -r 144 -jpeg` (the peer), `leafcraft-cli publish --jobs 1` and `--jobs 2`. Prints
#   the speed-up of --jobs 2 over --jobs 1          (target: at least 1.6 on two free cores)
#   a whole publish (--jobs 2) against pdftoppm     (target: at most 0.5)
#   peak resident memory of --jobs 2 over --jobs 1  (target: at most 1.5)
# and the processor time (user + system) of each: a second worker that waits on the first shows
# there as extra time, whatever else runs on the machine; wall times need a quiet machine.
#
# Usage: bench/publish-jobs.sh [PDF]   (default: a generated 224-page manual); ROUNDS=n (default
# 5); BUILD=dir (default build/release, else build/headless)
set -euo pipefail
cd "$(dirname "$0")/.."

source bench/lib.sh
bench_cli
bench_work
bench_manual "${1:-}"
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config" TMPDIR="$work/tmp"
mkdir -p "$TMPDIR"

ppm=() one=() two=()
for ((round = 1; round <= ${ROUNDS:-5}; round++)); do
    rm -rf "$work/ppm" "$work/book1" "$work/book2"
    mkdir -p "$work/ppm"
    ppm+=("$(measure pdftoppm -r 144 -jpeg "$pdf" "$work/ppm/p" | tr " " /)")
    one+=("$(measure "$cli" publish "$pdf" -o "$work/book1" --jobs 1 | tr " " /)")
    two+=("$(measure "$cli" publish "$pdf" -o "$work/book2" --jobs 2 | tr " " /)")
    echo "round $round (wall s/cpu s/peak kB): pdftoppm ${ppm[-1]}, --jobs 1 ${one[-1]}, --jobs 2 ${two[-1]}"
done
python3 - "${ppm[*]}" "${one[*]}" "${two[*]}" <<'PY'
import statistics, sys
def column(arg, i):
    return [float(x.split("/")[i]) for x in arg.split()]
med = statistics.median
ppm, one, two = ([column(a, i) for i in range(3)] for a in sys.argv[1:4])
for name, (wall, cpu, peak) in (("pdftoppm -r 144 -jpeg", ppm), ("publish --jobs 1", one), ("publish --jobs 2", two)):
    print("%-22s wall median %6.2f s, best %6.2f s; cpu median %6.2f s; peak %4.0f MB"
          % (name, med(wall), min(wall), med(cpu), max(peak) / 1024))
print("speed-up --jobs 2 over --jobs 1: median %.2fx, best runs %.2fx (target >= 1.6)"
      % (med(one[0]) / med(two[0]), min(one[0]) / min(two[0])))
print("publish --jobs 2 / pdftoppm: median %.2f, best runs %.2f (target <= 0.5)"
      % (med(two[0]) / med(ppm[0]), min(two[0]) / min(ppm[0])))
print("peak memory --jobs 2 / --jobs 1: %.2f (target <= 1.5)" % (max(two[2]) / max(one[2])))
print("cpu --jobs 2 / --jobs 1: %.2f (1.00: the second worker does no extra work)" % (med(two[1]) / med(one[1])))
PY
