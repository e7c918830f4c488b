#!/usr/bin/env bash
# Sets up when needed, builds and runs every test: the release build (with the GUI and the
# browser tests), and one clang build with AddressSanitizer (leak detection on) and UBSan that
# runs the unit tests and every fuzz target for a few seconds. The two go side by side once the
# release build is done; each stage's output is kept in build/logs/ and shown when it ends, and
# the time of each stage is printed at the end. A compiler cache (ccache) is used when present.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh || exit 1
logs=build/logs
mkdir -p "$logs"
rm -f "$logs"/*.time

# stage NAME COMMAND...: runs COMMAND with its output in $logs/NAME.log, records its time and
# exit status in $logs/NAME.time, and prints the log when it ends.
stage() {
    local name="$1"; shift
    local start=$SECONDS rc=0
    "$@" >"$logs/$name.log" 2>&1 || rc=$?
    echo "$name $((SECONDS - start)) $rc" >"$logs/$name.time"
    {
        echo "=== $name ($((SECONDS - start)) s, exit $rc) ==="
        cat "$logs/$name.log"
    } | flock "$logs" cat
    return $rc
}

# Debian's log4cxx deletes its rolling file appender's private part through a base type, which
# AddressSanitizer reports at shutdown as a new/delete size mismatch inside the library; that
# check is off, leak detection and everything else stay on.
sanitized() {
    stage sanitizer-build scripts/build.sh asan-ubsan || return 1
    local status=0
    stage sanitizer-tests bash -c 'cd build/asan-ubsan && ASAN_OPTIONS=detect_leaks=1:new_delete_type_mismatch=0 \
        UBSAN_OPTIONS=print_stacktrace=1 QT_QPA_PLATFORM=offscreen exec ctest --output-on-failure -j2 -L unit --timeout 600' ||
        status=1
    stage fuzz scripts/fuzz.sh 5 || status=1
    return $status
}

total_start=$SECONDS
status=0
if stage release-build scripts/build.sh release; then
    stage release-tests bash -c 'cd build/release && QT_QPA_PLATFORM=offscreen exec ctest --output-on-failure -j2 --timeout 600' &
    release_pid=$!
    sanitized || status=1
    wait $release_pid || status=1
else
    status=1
fi

echo
echo "test.sh: time of each stage"
for f in release-build release-tests sanitizer-build sanitizer-tests fuzz; do
    if [[ -f $logs/$f.time ]]; then
        read -r name secs rc <"$logs/$f.time"
        printf '  %-16s %4d s  %s\n' "$name" "$secs" "$([[ $rc == 0 ]] && echo ok || echo "FAILED (exit $rc, log $logs/$name.log)")"
    else
        printf '  %-16s    -    not run\n' "$f"
    fi
done
printf '  %-16s %4d s\n' total $((SECONDS - total_start))
if ((status)); then
    echo "test.sh: FAILED" >&2
fi
exit $status
