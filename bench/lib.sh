# Shared by the benches (sourced from the checkout's top folder): a private work folder removed
# on exit, the book to measure, and a timer.

bench_work() {
    work=$(mktemp -d /tmp/leafcraft-bench.XXXXXX)
    trap 'rm -rf "$work"' EXIT
}

# Sets `pdf` and `pages`: the PDF given, or a generated 224-page book.
bench_pdf() {
    pdf="${1:-}"
    if [[ -z $pdf ]]; then
        pdf=$work/book224.pdf
        python3 scripts/make_pdfs.py --pages 224 "$pdf"
    fi
    pages=$(pdfinfo "$pdf" 2>/dev/null | awk '/^Pages:/ {print $2}')
    echo "PDF: $pdf ($pages pages), $(nproc) processors"
}

# Sets `pdf` and `pages` as bench_pdf does; the default is a generated 224-page manual, as hard
# to draw as a typeset one (scripts/make_manual.py; Debian's python3 with PIL and numpy).
bench_manual() {
    pdf="${1:-}"
    if [[ -z $pdf ]]; then
        pdf=$work/manual224.pdf
        /usr/bin/python3 scripts/make_manual.py --pages 224 "$pdf"
    fi
    pages=$(pdfinfo "$pdf" 2>/dev/null | awk '/^Pages:/ {print $2}')
    echo "PDF: $pdf ($pages pages), $(nproc) processors"
}

# Runs the command; prints "wall cpu peak" (seconds, seconds, peak resident kilobytes).
measure() {
    /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >/dev/null 2>"$work/stderr" \
        || { echo "failed: $*" >&2; cat "$work/stderr" >&2; exit 1; }
    awk '{ printf "%.3f %.3f %d\n", $1, $2 + $3, $4 }' "$work/time"
}

# Runs the command; prints "wall cpu" in seconds (cpu: user + system, children included).
seconds() {
    /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" >/dev/null 2>"$work/stderr" \
        || { echo "failed: $*" >&2; cat "$work/stderr" >&2; exit 1; }
    awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' "$work/time"
}
