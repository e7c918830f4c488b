#!/usr/bin/env bash
# Sets up when needed, builds, and runs the main job: publishes a sample book made from a
# generated PDF (or the PDF given) into out/sample-book and prints the path of its HTML page.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh release leafcraft-cli pdf2swf getswfSize leafcraft_players
cli=build/release/tools/leafcraft-cli/leafcraft-cli
if "$cli" publish --help >/dev/null 2>&1; then
    pdf="${1:-}"
    if [[ -z "$pdf" ]]; then
        mkdir -p out
        pdf=out/sample.pdf
        python3 scripts/make_pdfs.py --sample "$pdf"
    fi
    rm -rf out/sample-book
    exec "$cli" publish "$pdf" -o out/sample-book --name index --title "Leafcraft sample book"
else
    exec "$cli" templates
fi
