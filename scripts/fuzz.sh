#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "asan-ubsan", clang with AddressSanitizer and UBSan) and runs
# each for SECONDS seconds from its seeds in fuzz/corpus/<Target>/. Fails when any target finds
# a crash, a leak, undefined behaviour, a hang (10 s for one input) or more than 2 GB of memory;
# the input that did it is kept in build/asan-ubsan/findings/<Target>/. Inputs the run discovers go to
# a scratch folder, so the seeds in the repository stay small.
#
#   scripts/fuzz.sh SECONDS [TARGET...]      (targets: the file names of fuzz/*.cpp)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}"
shift
targets=("$@")
if ((${#targets[@]} == 0)); then
    for source in fuzz/*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi
scripts/build.sh asan-ubsan >/dev/null

status=0
for target in "${targets[@]}"; do
    scratch="$(mktemp -d)"
    findings="build/asan-ubsan/findings/$target"
    mkdir -p "$findings"
    log="$findings/last-run.log"
    if build/asan-ubsan/fuzz/fuzz_"$target" "$scratch" "fuzz/corpus/$target" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -max_len=65536 -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1; then
        runs=$(awk '/stat::number_of_executed_units/ {print $2}' "$log")
        echo "fuzz.sh: $target: ${runs:-?} inputs in ${seconds} s, no finding"
    else
        echo "fuzz.sh: $target: FINDING (input kept in $findings, log $log)" >&2
        grep -E 'ERROR|SUMMARY|runtime error' "$log" | head -5 >&2 || true
        status=1
    fi
    rm -rf "$scratch"
done
exit $status
