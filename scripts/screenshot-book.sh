#!/usr/bin/env bash
# Takes a PNG screenshot of a published book in headless Chromium.
# Usage: scripts/screenshot-book.sh <book.html or book folder> <out.png> [width height] [page]
#   page: the book position to show (default 2, an open spread)
set -euo pipefail
if [[ $# -lt 2 ]]; then
    echo "usage: $0 <book.html|book folder> <out.png> [width height] [page]" >&2
    exit 2
fi
book="$1"
out="$2"
width="${3:-1280}"
height="${4:-800}"
page="${5:-2}"
[[ -d "$book" ]] && book="$book/index.html"
if [[ ! -f "$book" ]]; then
    echo "$0: no such book page: $book" >&2
    exit 2
fi
book="$(realpath "$book")"
out="$(realpath -m "$out")"
cd "$(dirname "$0")/.."
BOOK="$book" OUT="$out" WIDTH="$width" HEIGHT="$height" PAGE="$page" node --input-type=module -e '
import { chromium } from "playwright-core";
import { pathToFileURL } from "node:url";
const env = process.env;
const browser = await chromium.launch({
    executablePath: env.LEAFCRAFT_CHROMIUM || "/usr/bin/chromium", headless: true,
    args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
        "--disable-background-networking", "--disable-component-update", "--disable-sync"]
});
try {
    const page = await browser.newPage({ viewport: { width: +env.WIDTH, height: +env.HEIGHT } });
    await page.goto(pathToFileURL(env.BOOK).href + "?flipms=0");
    await page.evaluate(() => window.LeafcraftBook.ready);
    await page.evaluate((n) => window.LeafcraftBook.goToPage(n), +env.PAGE);
    await page.evaluate(() => Promise.all([...document.images].map((i) => i.decode().catch(() => {}))));
    await page.waitForTimeout(300);
    await page.screenshot({ path: env.OUT });
    console.log(env.OUT);
} finally {
    await browser.close();
}
'
