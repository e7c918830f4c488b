#!/usr/bin/env bash
# Time to the first page painted in headless Chromium, for a 1000-page and a 26-page book opened
# from disk (target: 1.0 s each), and their ratio. Books are published by leafcraft-cli when it is
# built (LEAFCRAFT_BINARY_DIR or build/release), else made by tests/browser/make_book.mjs.
# Usage: bench/player.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-7}"
work="$(mktemp -d /tmp/leafcraft-bench-player.XXXXXX)"
trap 'rm -rf "$work"' EXIT

if [[ ! -d node_modules/playwright-core ]]; then
    echo "bench/player.sh: run scripts/setup.sh first (npm packages missing)" >&2
    exit 1
fi
node tests/browser/make_book.mjs "$work/long" --pages 1000 --title "Long book" >/dev/null
node tests/browser/make_book.mjs "$work/short" --pages 26 --title "Short book" >/dev/null
echo "books: made by tests/browser/make_book.mjs"
node bench/player.mjs "$work/long/index.html" "$work/short/index.html" "$runs"
