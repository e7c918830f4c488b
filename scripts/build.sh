#!/usr/bin/env bash
# Configures and builds one CMake preset (default: release, which includes the desktop app;
# "headless" and "asan-ubsan" leave it out), or only the TARGETs given after it.
#   scripts/build.sh [PRESET [TARGET...]]
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-release}"
shift || true
targets=()
for t in "$@"; do targets+=(--target "$t"); done
if [[ ! -f build/$preset/CMakeCache.txt ]]; then
    cmake --preset "$preset" >/dev/null
fi
cmake --build --preset "$preset" "${targets[@]+"${targets[@]}"}" -- -j"$(nproc)"
