#!/usr/bin/env bash
# Soak run (not a test): four publishes of a 224-page PDF at once, each into a folder of its
# own, while a desktop app instance (offscreen) starts and stops over and over in the same
# home folder. Checks that all four books are complete (every file their manifest lists is
# there, one page picture and one thumbnail per page), that no staging folder (inside or
# beside a book), lock file or work folder is left, and that the app instances left no preview behind.
#
# Usage: scripts/soak-publish.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
cli="$build/tools/leafcraft-cli/leafcraft-cli"
app="$build/gui/leafcraft"
[[ -x "$cli" && -x "$app" ]] || { echo "$0: build first (scripts/build.sh release)" >&2; exit 1; }

work=$(mktemp -d /tmp/leafcraft-soak-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/tmp" "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime" # Qt's own runtime folder is not one of ours
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config"
export TMPDIR="$work/tmp" QT_QPA_PLATFORM=offscreen QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu"
python3 scripts/make_pdfs.py --pages 224 "$work/book.pdf"

# The app starts and is stopped (TERM) again and again until the publishes are done.
(
    while [[ ! -e "$work/done" ]]; do
        "$app" >/dev/null 2>&1 &
        pid=$!
        echo started >>"$work/app-starts"
        sleep 3
        kill -TERM "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
) &
cycler=$!

pids=()
for i in 1 2 3 4; do
    "$cli" publish "$work/book.pdf" -o "$work/book$i" -j 1 >"$work/out$i.txt" 2>"$work/err$i.txt" &
    pids+=($!)
done
status=0
for i in 1 2 3 4; do
    if ! wait "${pids[$((i - 1))]}"; then
        echo "publish $i failed:"; cat "$work/err$i.txt"; status=1
    fi
done
touch "$work/done"
wait "$cycler" || true

for i in 1 2 3 4; do
    book="$work/book$i"
    python3 - "$book" <<'PY' || status=1
import os, sys
book = sys.argv[1]
with open(os.path.join(book, "files", "leafcraft-manifest.txt"), encoding="utf-8") as f:
    listed = f.read().split("\n")[1:-1]
missing = [p for p in listed if not os.path.isfile(os.path.join(book, p))]
pages = len(os.listdir(os.path.join(book, "files", "page")))
thumbs = len(os.listdir(os.path.join(book, "files", "thumb")))
left = [n for n in os.listdir(book) if n.startswith(".leafcraft-")]
left += [n for n in os.listdir(os.path.dirname(book)) if n.startswith("." + os.path.basename(book) + ".leafcraft-")]
ok = not missing and pages == 224 and thumbs == 224 and not left
print("%s: %d files, %d pages, %d thumbnails, missing %d, left over %s -> %s"
      % (os.path.basename(book), len(listed), pages, thumbs, len(missing), left or "nothing", "ok" if ok else "FAIL"))
sys.exit(0 if ok else 1)
PY
done
leftover=$(ls -A "$work/tmp")
[[ -z "$leftover" ]] || { echo "work folders left in TMPDIR: $leftover"; status=1; }
echo "app instances started and stopped: $(wc -l <"$work/app-starts")"
previews=$(find "$work/home" -maxdepth 5 -name 'preview-*' 2>/dev/null || true)
[[ -z "$previews" ]] || { echo "previews left by stopped app instances: $previews"; }
[[ $status == 0 ]] && echo "soak: all four books complete" || echo "soak: FAILED"
exit $status
