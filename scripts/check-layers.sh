#!/usr/bin/env bash
# Layers point down: nothing under src/ below the application layer includes an app/ header, and
# no C++ source of the project is longer than 600 lines. Argument: the checkout's top folder.
set -euo pipefail
top="${1:-$(dirname "$0")/..}"
cd "$top"
status=0
lower=(src/import src/publish src/annotations src/templates src/editor src/support src/platform)
existing=()
for d in "${lower[@]}"; do [[ -d $d ]] && existing+=("$d"); done
if grep -rnE '#\s*include\s*"app/' "${existing[@]}"; then
    echo "check-layers: code below src/app includes app/ headers (listed above)" >&2
    status=1
fi
long=$(find src gui tools tests fuzz bench -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' \) \
           -not -path '*/node_modules/*' -exec awk 'END { if (NR > 600) print NR " " FILENAME }' {} \; 2>/dev/null || true)
if [[ -n $long ]]; then
    echo "$long"
    echo "check-layers: C++ files over 600 lines (listed above)" >&2
    status=1
fi
((status)) || echo "check-layers: layers point down and every C++ file has at most 600 lines"
exit $status
