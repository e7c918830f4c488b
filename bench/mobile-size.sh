#!/usr/bin/env bash
# Benchmark (not a test): what a phone version costs. Publishes one 63-page book three times,
# without a phone version and with each kind (--mobile flip, --mobile slide), and prints the
# folder sizes, the growth against the book without one (target: at most 40%) and the bytes of
# the thumbnails a phone downloads for its thumbnail sheet (target: at most 2 MB).
#
# Usage: bench/mobile-size.sh [BUILD_DIR]   (default build/release, then build/headless, build/dev)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-}
if [[ -z "$build" ]]; then
    for b in build/release build/headless build/dev; do
        [[ -x "$b/tools/leafcraft-cli/leafcraft-cli" ]] && build=$b && break
    done
fi
cli="$build/tools/leafcraft-cli/leafcraft-cli"
[[ -x "$cli" ]] || { echo "bench/mobile-size.sh: build leafcraft-cli first (scripts/build.sh release)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config"
pages=${PAGES:-63}
python3 scripts/make_pdfs.py --pages "$pages" "$work/book.pdf"

bytes() { du -sb "$1" | cut -f1; }
"$cli" publish "$work/book.pdf" -o "$work/plain" >/dev/null
plain=$(bytes "$work/plain")
printf 'pages: %d\nbook without a phone version: %d bytes\n' "$pages" "$plain"
for kind in flip slide; do
    "$cli" publish "$work/book.pdf" -o "$work/$kind" --mobile "$kind" >/dev/null
    size=$(bytes "$work/$kind")
    python3 -c "import sys; s, p = int(sys.argv[1]), int(sys.argv[2]); print('with --mobile %s: %d bytes, %+.1f%% (target <= +40%%)' % (sys.argv[3], s, 100.0 * (s - p) / p))" \
        "$size" "$plain" "$kind"
done
thumbs=$(cat "$work/flip/files/thumb/"*.jpg | wc -c)
printf 'thumbnails of the phone thumbnail sheet: %d bytes for %d pages (target <= 2 MB)\n' "$thumbs" "$pages"
