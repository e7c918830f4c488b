#!/usr/bin/env bash
# Publishes a whole catalogue: every PDF below PDF-FOLDER becomes a book below BOOK-FOLDER
# (PDF-FOLDER/manuals/pump.pdf -> BOOK-FOLDER/manuals/pump/index.html), one
# 'leafcraft-cli publish --if-changed --report json' per PDF, run by GNU Parallel on the cores
# of this machine or, with -S / --sshloginfile, on several machines.
#
#   publish-catalogue.sh PDF-FOLDER BOOK-FOLDER [PARALLEL OPTIONS] [-- PUBLISH OPTIONS]
#
# PARALLEL OPTIONS go to GNU Parallel as they are (-j 4, -S host1,host2, --sshloginfile FILE,
# --retries 5, ...). PUBLISH OPTIONS go to every publish (--template, --quality, ...).
# LEAFCRAFT_CLI names the program (default: leafcraft-cli on the PATH, else the one this
# checkout built); with other machines, it and both folders must be at the same paths on every
# one of them.
#
# The run keeps its state in BOOK-FOLDER/.leafcraft-catalogue/: the list of PDFs, Parallel's
# job log, the report of every publish (reports.jsonl, one JSON object a line) and the jobs'
# working folders. A run that was stopped (killed, a machine gone down) is resumed by the next
# one: the books that were done are skipped, the others published. A run that ended starts
# afresh next time, and then a book whose PDF, options, settings and template files are those
# it was made from is up to date and left as it is. Failed publishes are tried again
# (--retries 2 unless given). At the end a summary: books written, up to date, failed (with
# the reasons), pages per second.
#
# Exit status: 0 every book is written or up to date, 1 some failed, 2 usage, 3 the run was
# stopped before its end (run again to resume).
set -euo pipefail
export LC_ALL=C

usage() {
    sed -n '7,9p' "$0" | sed 's/^# \{0,3\}//' >&2
    exit 2
}
die() {
    echo "publish-catalogue: $*" >&2
    exit 2
}

[[ $# -ge 2 ]] || usage
[[ -d $1 ]] || die "no such folder: $1"
pdfs=$(realpath -- "$1")
mkdir -p -- "$2"
books=$(realpath -- "$2")
shift 2
parallelOptions=()
while [[ $# -gt 0 && $1 != -- ]]; do
    parallelOptions+=("$1")
    shift
done
[[ $# -gt 0 ]] && shift
publishOptions=("$@")
here=$(dirname -- "$(realpath -- "$0")")
cli=${LEAFCRAFT_CLI:-}
if [[ -z $cli ]]; then
    cli=leafcraft-cli
    if ! command -v leafcraft-cli >/dev/null; then
        for built in "$here"/../build/{release,headless}/tools/leafcraft-cli/leafcraft-cli; do
            if [[ -x $built ]]; then
                cli=$(realpath -- "$built")
                break
            fi
        done
    fi
fi
command -v parallel >/dev/null || die "GNU Parallel is not installed (Debian: apt install parallel)"
[[ $books != "$pdfs" ]] || die "the PDF folder and the book folder must differ"

state=$books/.leafcraft-catalogue
mkdir -p -- "$state"
# One run at a time in a book folder; the lock goes with the last process of the run.
exec 9>"$state/lock"
flock -n 9 || die "another catalogue run is publishing into $books"

# A word for the shell every job runs in, here or on another machine.
quoted() {
    local s=${1//\'/\'\\\'\'}
    printf "'%s'" "$s"
}

# A stopped run of the same PDF folder is resumed; one of another folder is forgotten.
resuming=false
if [[ -e $state/running && $(cat "$state/pdf-folder" 2>/dev/null) == "$pdfs" ]]; then
    resuming=true
    echo "publish-catalogue: resuming the run that was stopped on $(cat "$state/running")" >&2
    # A report cut off by the stop would run into the next one.
    if [[ -s $state/reports.jsonl && $(tail -c1 "$state/reports.jsonl" | od -An -c | tr -d ' ') != '\n' ]]; then
        echo >>"$state/reports.jsonl"
    fi
else
    # Every PDF (not in hidden folders, not in the book folder), in a fixed order: a resumed
    # run must see the same list as the one it resumes.
    prune=(-name '.*' -prune)
    case $books/ in "$pdfs"/*) prune+=(-o -path "./${books#"$pdfs"/}" -prune) ;; esac
    (cd -- "$pdfs" && find . -mindepth 1 \( "${prune[@]}" \) -o -xtype f -iname '*.pdf' -print0) |
        sed -z 's|^\./||' | sort -z >"$state/pdfs.new"
    # Each book a folder of its own: not shared ("a.pdf", "a.PDF"), not inside another book
    # ("a.pdf" beside a folder "a" of PDFs), not holding the PDFs.
    pdfsInBooks=
    case $pdfs/ in "$books"/*) pdfsInBooks=${pdfs#"$books"/} ;; esac
    declare -A bookOf=() holder=()
    clashes=
    while IFS= read -r -d '' name; do
        book=${name%.*}
        [[ -z ${bookOf[$book]:-} ]] || clashes+=$'\n'"  ${bookOf[$book]} and $name would share the book $book"
        bookOf[$book]=$name
        folder=$book
        while [[ $folder == */* ]]; do
            folder=${folder%/*}
            holder[$folder]=1
        done
    done <"$state/pdfs.new"
    for book in "${!bookOf[@]}"; do
        [[ -z ${holder[$book]:-} ]] ||
            clashes+=$'\n'"  the book of ${bookOf[$book]} would hold the books of the PDFs in $book/"
        [[ -z $pdfsInBooks || $pdfsInBooks/ != "$book"/* ]] ||
            clashes+=$'\n'"  the book of ${bookOf[$book]} would hold the PDF folder"
    done
    [[ -z $clashes ]] || die "some PDFs cannot each have a book folder of their own (rename them):$clashes"
    mv -- "$state/pdfs.new" "$state/pdfs"
    rm -f -- "$state/joblog"
    : >"$state/reports.jsonl"
    printf '%s' "$pdfs" >"$state/pdf-folder"
    date -u '+%Y-%m-%d %H:%M:%S UTC' >"$state/running"
fi
count=$(tr -cd '\0' <"$state/pdfs" | wc -c)
[[ $count -gt 0 ]] || echo "publish-catalogue: no PDF in $pdfs" >&2

# What an interrupted run left: working folders of jobs that were killed.
rm -rf -- "$state/work"
mkdir -p -- "$state/work"

publish="TMPDIR=$(quoted "$state/work") $(quoted "$cli") publish --if-changed --report json"
for option in "${publishOptions[@]}"; do
    publish+=" $(quoted "$option")"
done
# Exit status 6 is a book written without the pages that could not be rendered: not a
# failure to try again (the report lists the pages).
publish+=" -o $(quoted "$books")/{.} -- $(quoted "$pdfs")/{} || [ \$? -eq 6 ]"

reportsBefore=$(stat -c %s "$state/reports.jsonl")
started=$(date +%s.%N)
resume=()
$resuming && resume=(--resume-failed)
status=0
parallel --will-cite -0 --arg-file "$state/pdfs" --joblog "$state/joblog" --tmpdir "$state/work" \
    --retries 2 "${resume[@]}" "${parallelOptions[@]}" "$publish" >>"$state/reports.jsonl" || status=$?
ended=$(date +%s.%N)
rm -rf -- "$state/work"

# Parallel's status: the number of failed jobs (up to 100), 101 more, 255 an error of its
# own or a stop, above 128 a signal. Only a run that went through every PDF is over.
unfinished=()
[[ $status -gt 101 ]] && unfinished=(--unfinished)
# The summary has the last word on failures: a job that ran nothing (a machine whose shell
# would not start it) ends well for Parallel but leaves no report.
summary=0
python3 "$here/catalogue_summary.py" "${unfinished[@]}" \
    --reports "$state/reports.jsonl" --pdfs "$state/pdfs" --pdf-folder "$pdfs" \
    --since-byte "$reportsBefore" --seconds "$(awk -v a="$started" -v b="$ended" 'BEGIN { print b - a }')" ||
    summary=$?
if [[ $summary -eq 1 ]]; then
    [[ $status -ne 0 ]] || status=1
elif [[ $summary -ne 0 ]]; then
    echo "publish-catalogue: no summary (see above); the reports are in $state/reports.jsonl" >&2
    [[ $status -ne 0 ]] || status=1
fi
if [[ ${#unfinished[@]} -gt 0 ]]; then
    echo "publish-catalogue: the run did not end (GNU Parallel status $status); run again to resume" >&2
    exit 3
fi
rm -f -- "$state/running"
echo "publish-catalogue: job log $state/joblog, reports $state/reports.jsonl" >&2
[[ $status -eq 0 ]] || exit 1
