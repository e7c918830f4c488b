#!/usr/bin/env bash
# The book player in headless Chromium, ours against the player before the module split (the
# peer, taken from git and copied into the same books): time to the first page painted for a
# 1120-page and a 26-page book opened from disk (target 1.0 s), and a jump to page 1000 of the
# long book until its pages are painted (target 400 ms). Prints the ratios ours/peer.
# Usage: bench/player.sh [runs]   (LEAFCRAFT_BENCH_BOOKS=published: books published by leafcraft-cli;
#        LEAFCRAFT_BENCH_PEER=<git revision>: the peer player's revision)
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-7}"
work="$(mktemp -d /tmp/leafcraft-bench-player.XXXXXX)"
trap 'rm -rf "$work"' EXIT

if [[ ! -d node_modules/playwright-core ]]; then
    echo "bench/player.sh: run scripts/setup.sh first (npm packages missing)" >&2
    exit 1
fi
node scripts/build_players.mjs
player=resources/AppFiles/TmplData/player/player.js
# The last commit that kept a hand-written player.js in git deleted it; its parent has the peer.
peer_rev="${LEAFCRAFT_BENCH_PEER:-$(git log -1 --format=%H -- "$player")^}"
git show "$peer_rev:$player" > "$work/peer-player.js"

cli=""
for d in "${LEAFCRAFT_BINARY_DIR:-}" build/release build/dev; do
    if [[ -n "$d" && -x "$d/tools/leafcraft-cli/leafcraft-cli" ]]; then cli="$d/tools/leafcraft-cli/leafcraft-cli"; break; fi
done
if [[ "${LEAFCRAFT_BENCH_BOOKS:-}" == published && -n "$cli" ]]; then
    # Books published from generated text PDFs (slow to make: every page is rendered).
    for n in 1120 26; do
        python3 scripts/make_pdfs.py --pages "$n" "$work/book$n.pdf"
        "$cli" publish "$work/book$n.pdf" -o "$work/book$n" >/dev/null
    done
    mv "$work/book1120" "$work/long"
    mv "$work/book26" "$work/short"
    echo "books: published by $cli from generated PDFs"
else
    node bench/make_book.mjs "$work/long" --pages 1120 --title "Long book" >/dev/null
    node bench/make_book.mjs "$work/short" --pages 26 --title "Short book" >/dev/null
    echo "books: made by bench/make_book.mjs (LEAFCRAFT_BENCH_BOOKS=published to publish PDFs instead)"
fi
for b in long short; do
    cp -r "$work/$b" "$work/peer-$b"
    cp "$work/peer-player.js" "$work/peer-$b/files/player/player.js"
done
echo "peer: player.js of $(git rev-parse --short "$peer_rev")"
node bench/player.mjs "$runs" "$work/long/index.html" "$work/short/index.html" \
    "$work/peer-long/index.html" "$work/peer-short/index.html"
