#!/usr/bin/env bash
# Time to the first page painted in headless Chromium, for a 1000-page and a 26-page book opened
# from disk (target: 1.0 s each), and their ratio (the 26-page book is the peer: a long book should
# open as fast as a short one).
# Usage: bench/player.sh [runs]   (LEAFCRAFT_BENCH_BOOKS=published: books published by leafcraft-cli)
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-7}"
work="$(mktemp -d /tmp/leafcraft-bench-player.XXXXXX)"
trap 'rm -rf "$work"' EXIT

if [[ ! -d node_modules/playwright-core ]]; then
    echo "bench/player.sh: run scripts/setup.sh first (npm packages missing)" >&2
    exit 1
fi
cli=""
for d in "${LEAFCRAFT_BINARY_DIR:-}" build/release build/dev; do
    if [[ -n "$d" && -x "$d/tools/leafcraft-cli/leafcraft-cli" ]]; then cli="$d/tools/leafcraft-cli/leafcraft-cli"; break; fi
done
if [[ "${LEAFCRAFT_BENCH_BOOKS:-}" == published && -n "$cli" ]]; then
    # Books published from generated text PDFs (slow to make: every page is rendered).
    for n in 1000 26; do
        python3 tests/data/make_pdfs.py --pages "$n" "$work/book$n.pdf"
        "$cli" publish "$work/book$n.pdf" -o "$work/book$n" >/dev/null
    done
    mv "$work/book1000" "$work/long"
    mv "$work/book26" "$work/short"
    echo "books: published by $cli from generated PDFs"
else
    node tests/browser/make_book.mjs "$work/long" --pages 1000 --title "Long book" >/dev/null
    node tests/browser/make_book.mjs "$work/short" --pages 26 --title "Short book" >/dev/null
    echo "books: made by tests/browser/make_book.mjs (LEAFCRAFT_BENCH_BOOKS=published to publish PDFs instead)"
fi
node bench/player.mjs "$work/long/index.html" "$work/short/index.html" "$runs"
