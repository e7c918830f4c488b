#!/usr/bin/env bash
# Configures and builds one CMake preset (default: release, which includes the desktop app;
# "headless" and "asan-ubsan" leave it out).
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-release}"
if [[ ! -f build/$preset/CMakeCache.txt ]]; then
    cmake --preset "$preset" >/dev/null
fi
cmake --build --preset "$preset" -- -j"$(nproc)"
