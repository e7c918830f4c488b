#!/usr/bin/env bash
# Configures and builds one CMake preset (default: release). The GUI is left out when Qt's
# widget or WebEngine development files are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-release}"
extra=()
if [[ ! -f build/$preset/CMakeCache.txt ]]; then
    cmake --preset "$preset" "${extra[@]}" >/dev/null
fi
cmake --build --preset "$preset" -- -j"$(nproc)"
