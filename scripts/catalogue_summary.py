#!/usr/bin/env python3
"""The summary at the end of a catalogue run (publish-catalogue.sh).

Reads the reports the run's publishes printed (one JSON object a line, 'leafcraft-cli publish
--report json') and the run's list of PDFs, and prints: books written, books up to date, books
that failed with their reasons (a PDF without any report failed too: its job was killed or
could not start), and the pages written per second by this invocation.

A run that did not end (--unfinished) counts the PDFs without a report as left for the run
that resumes it, not as failed.

A PDF tried more than once (retries, a resumed run) counts by its last report. Lines that are
not whole JSON objects (a report cut off when a run was killed) are left out.

Exit status: 0 no book failed, 1 some did (whatever the exit status of the jobs said: a job
that ran nothing and printed no report failed too), 2 the summary could not be made.
"""

import argparse
import json
import os
import sys


def read_reports(path, since_byte):
    """All reports by input (the last one wins), and those this invocation added, in order."""
    last, recent = {}, []
    with open(path, 'rb') as f:
        offset = 0
        for raw in f:
            start, offset = offset, offset + len(raw)
            try:
                report = json.loads(raw)
            except ValueError:
                continue
            if not isinstance(report, dict) or 'input' not in report:
                continue
            last[report['input']] = report
            if start >= since_byte:
                recent.append(report)
    return last, recent


def read_list(path):
    with open(path, 'rb') as f:
        return [os.fsdecode(name) for name in f.read().split(b'\0') if name]


def summarize(reports, pdfs, pdf_folder, recent, seconds, unfinished=False):
    """The summary's lines."""
    written, up_to_date, failed, left_out, waiting = [], [], [], [], 0
    for name in pdfs:
        report = reports.get(os.path.join(pdf_folder, name))
        if report is None and unfinished:
            waiting += 1
        elif report is None:
            failed.append((name, 'no report: the publish was killed or could not start (see the job log)'))
        elif report.get('result') == 'up to date':
            up_to_date.append(name)
        elif report.get('result') == 'written':
            written.append(name)
            if report.get('pages_left_out'):
                left_out.append((name, report['pages_left_out']))
        else:
            message = report.get('message') or 'failed'
            failed.append((name, 'exit status %s: %s' % (report.get('exit_status'), message)))
    pages = sum(r.get('pages_written') or 0 for r in recent if r.get('result') == 'written')
    lines = [
        'Catalogue of %d PDF(s):' % len(pdfs),
        '  books written:     %d' % len(written),
        '  books up to date:  %d' % len(up_to_date),
        '  books failed:      %d' % len(failed),
    ]
    lines += ['    %s: %s' % (name, why) for name, why in failed]
    if unfinished:
        lines.append('  not published yet: %d (run again to resume)' % waiting)
    if left_out:
        lines.append('  written without pages that could not be rendered:')
        lines += ['    %s: page(s) %s' % (name, ', '.join(map(str, pages_out))) for name, pages_out in left_out]
    rate = pages / seconds if seconds > 0 else 0.0
    lines.append('  pages per second:  %.1f (%d page(s) written in %.1f s by this run)' % (rate, pages, seconds))
    return lines, len(failed)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--reports', required=True, help='the run\'s reports, one JSON object a line')
    parser.add_argument('--pdfs', required=True, help='the run\'s PDFs, NUL-separated, relative to --pdf-folder')
    parser.add_argument('--pdf-folder', required=True)
    parser.add_argument('--since-byte', type=int, default=0, help='where this invocation\'s reports begin')
    parser.add_argument('--seconds', type=float, required=True, help='how long this invocation took')
    parser.add_argument('--unfinished', action='store_true', help='the run was stopped before its end')
    args = parser.parse_args()
    reports, recent = read_reports(args.reports, args.since_byte)
    lines, failed = summarize(reports, read_list(args.pdfs), args.pdf_folder, recent, args.seconds, args.unfinished)
    sys.stdout.write('\n'.join(lines) + '\n')
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
