# Shared by the benches (sourced from the checkout's top folder): the program to measure, a
# private work folder removed on exit, the book to measure, and a timer.

# Sets `cli` (absolute) to the leafcraft-cli of $BUILD, else of build/release or build/headless;
# stops the bench when there is none.
bench_cli() {
    cli=""
    for b in ${BUILD:-} build/release build/headless; do
        if [[ -x $b/tools/leafcraft-cli/leafcraft-cli ]]; then cli=$(realpath "$b/tools/leafcraft-cli/leafcraft-cli"); break; fi
    done
    [[ -n $cli ]] || { echo "$0: build leafcraft-cli first (scripts/build.sh release)" >&2; exit 1; }
}

bench_work() {
    work=$(mktemp -d /tmp/leafcraft-bench.XXXXXX)
    trap 'rm -rf "$work"' EXIT
}

# Sets `pdf` and `pages`: the PDF given, or a generated book of PAGES pages (default 224; MAKER:
# the generator, by default scripts/make_pdfs.py).
bench_pdf() {
    pdf="${1:-}"
    if [[ -z $pdf ]]; then
        pdf=$work/book${PAGES:-224}.pdf
        ${MAKER:-python3 scripts/make_pdfs.py} --pages "${PAGES:-224}" "$pdf"
    fi
    pages=$(pdfinfo "$pdf" 2>/dev/null | awk '/^Pages:/ {print $2}')
    echo "PDF: $pdf ($pages pages), $(nproc) processors"
}

# As bench_pdf, with a generated 224-page manual as hard to draw as a typeset one
# (scripts/make_manual.py; Debian's python3 with PIL and numpy).
bench_manual() {
    MAKER="/usr/bin/python3 scripts/make_manual.py" bench_pdf "$@"
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
