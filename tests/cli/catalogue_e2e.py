#!/usr/bin/env python3
"""End-to-end tests of publishing many books: the JSON report, --if-changed, and a catalogue run
under GNU Parallel that is killed midway and resumed."""
import json
import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import publish_e2e as e2e  # noqa: E402  (its Ctx, fixtures and runner)

e2e.CASES.clear()
case = e2e.case
SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
SCRIPT = os.path.join(SOURCE, "scripts", "publish-catalogue.sh")
MANIFEST = "files/leafcraft-manifest.txt"


def report_of(p):
    lines = p.stdout.splitlines()
    assert len(lines) == 1, p.stdout
    return json.loads(lines[0])


def book_files(book):
    """Every file below the book folder, relative to it (links too)."""
    return {os.path.relpath(os.path.join(d, f), book) for d, _, files in os.walk(book) for f in files}


def check_whole(book):
    """The book holds exactly the files its manifest lists, and its page; returns its fingerprint."""
    with open(os.path.join(book, MANIFEST), encoding="utf-8") as f:
        header, *lines = f.read().splitlines()
    assert header.startswith("# leafcraft book manifest"), header
    fingerprint = [line.split()[1] for line in lines if line.startswith("fingerprint ")]
    listed = {line.split(" ", 3)[3] for line in lines if line.startswith("file ")} | {MANIFEST}
    assert len(fingerprint) == 1, lines[:3]
    assert listed == book_files(book) and "index.html" in listed, (book, listed ^ book_files(book))
    return fingerprint[0]


@case
def the_report_and_if_changed_follow_what_made_the_book(ctx):
    pdf, book = ctx.out("sheet.pdf"), ctx.out("sheet book")
    subprocess.run([sys.executable, os.path.join(SOURCE, "scripts", "make_pdfs.py"), "--pages", "3", pdf], check=True)
    r = report_of(ctx.run(pdf, "-o", book, "--report", "json"))
    assert (r["result"], r["exit_status"], r["message"], r["pages_written"], r["pages_left_out"]) == \
        ("written", 0, None, 3, []), r
    assert (r["input"], r["output_folder"], r["html_page"]) == (pdf, book, os.path.join(book, "index.html")), r
    assert r["bytes_written"] == sum(os.path.getsize(os.path.join(book, f)) for f in book_files(book)), r
    assert r["fingerprint"] == check_whole(book) and r["seconds"] > 0, r

    def rewrite_pdf(pages):
        subprocess.run([sys.executable, os.path.join(SOURCE, "scripts", "make_pdfs.py"), "--pages", str(pages), pdf],
                       check=True)

    # (what changes, options, expected result); each step starts from the book the step before left.
    steps = [
        ("nothing", [], "up to date"),
        ("the PDF's time, not its content", [], "up to date", lambda: os.utime(pdf, (1, 1))),
        ("the quality", ["--quality", "3"], "written"),
        ("nothing again", ["--quality", "3"], "up to date"),
        ("the title", ["--quality", "3", "--title", "Sheet"], "written"),
        ("the PDF's content", ["--quality", "3", "--title", "Sheet"], "written", lambda: rewrite_pdf(4)),
        ("a file of the book lost", ["--quality", "3", "--title", "Sheet"], "written",
         lambda: os.remove(os.path.join(book, "files", "page", "2.jpg"))),
        ("a phone version", ["--quality", "3", "--title", "Sheet", "--mobile", "slide"], "written"),
    ]
    for label, options, expected, *change in steps:
        before = os.stat(os.path.join(book, MANIFEST))
        for c in change:
            c()
        r = report_of(ctx.run(pdf, "-o", book, "--if-changed", "--report", "json", *options))
        assert r["result"] == expected and r["exit_status"] == 0, (label, r)
        assert r["fingerprint"] == check_whole(book), (label, r)
        untouched = os.stat(os.path.join(book, MANIFEST)).st_ino == before.st_ino
        assert untouched == (expected == "up to date"), label
        assert (r["pages_written"] > 0) == (expected == "written"), (label, r)

    for args, code in (([ctx.pdf("damaged.pdf"), "-o", ctx.out("damaged")], 3), (["--bogus"], 2)):
        r = report_of(ctx.run(*args, "--report", "json", expect=code))
        assert r["result"] == "failed" and r["exit_status"] == code and r["message"], r


def session_processes(sid):
    """The live processes of a session (a run started in a session of its own)."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/stat" % pid) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                command = f.read()
        except OSError:
            continue
        if fields[0] != "Z" and int(fields[3]) == sid:
            found.append((int(pid), command))
    return found


def kill_session(sid):
    """KILL to every process of the session (Parallel puts its jobs in groups of their own); returns
    the command lines killed."""
    killed = []
    while True:
        procs = session_processes(sid)
        if not procs:
            return killed
        for pid, command in procs:
            try:
                os.kill(pid, signal.SIGKILL)
                killed.append(command)
            except ProcessLookupError:
                pass
        time.sleep(0.05)


@case
def a_catalogue_run_killed_midway_resumes_and_then_is_up_to_date(ctx):
    pdfs, books = ctx.out("catalogue"), ctx.out("catalogue books")
    names = ["part %d/sheet %02d.pdf" % (i % 3, i) for i in range(12)]
    for i, name in enumerate(names):
        os.makedirs(os.path.dirname(os.path.join(pdfs, name)), exist_ok=True)
        subprocess.run([sys.executable, os.path.join(SOURCE, "scripts", "make_pdfs.py"), "--pages", str(6 + i % 4),
                        os.path.join(pdfs, name)], check=True)
    state = os.path.join(books, ".leafcraft-catalogue")
    env = dict(os.environ, LEAFCRAFT_CLI=ctx.cli, HOME=ctx.out("home"), TMPDIR=ctx.out("tmp"))
    os.makedirs(env["TMPDIR"], exist_ok=True)
    # ssh to "elsewhere" runs the command here: Parallel's whole remote path without a daemon.
    # Like sshd it gives the command a login shell (Parallel's wrapper runs jobs in $SHELL);
    # the second one is a machine where that goes wrong.
    def fake_ssh(name, login):
        path = ctx.out(name)
        with open(path, "w") as f:
            f.write('#!/bin/sh\nwhile [ $# -gt 0 ]; do case $1 in -[bcDEeFIiJLlmOopQRSWw]) shift 2;; -*) shift;; '
                    '*) shift; break;; esac; done\n[ "$1" = -- ] && shift\n%s\nexec sh -c "$*"\n' % login)
        os.chmod(path, 0o755)
        return path
    remote = ["--ssh", fake_ssh("fake-ssh", "export SHELL=/bin/sh"), "-S", "2/elsewhere"]
    no_shell = ["--ssh", fake_ssh("fake-ssh-no-shell", "unset SHELL"), "-S", "2/elsewhere"]

    def run(*options, expect=0):
        p = subprocess.run([SCRIPT, pdfs, books, *options], capture_output=True, text=True, env=env, timeout=600)
        assert p.returncode == expect, (p.returncode, p.stdout, p.stderr)
        return p

    def reports():
        with open(os.path.join(state, "reports.jsonl")) as f:
            return [json.loads(line) for line in f if line.strip().endswith("}")]

    def done():
        with open(os.path.join(state, "joblog")) as f:
            return len(f.readlines()) - 1

    run_ = subprocess.Popen([SCRIPT, pdfs, books, "-j", "2", "-S", ":"], env=env, start_new_session=True,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 300
    while time.monotonic() < deadline and run_.poll() is None:
        busy = any(b"leafcraft-cli" in c for _, c in session_processes(run_.pid))
        if busy and os.path.exists(os.path.join(state, "joblog")) and done() >= 3:
            break
        time.sleep(0.02)
    assert run_.poll() is None, "the run ended before it could be killed"
    killed = kill_session(run_.pid)
    run_.wait()
    assert any(b"leafcraft-cli" in c for c in killed) and any(b"parallel" in c for c in killed), killed
    before = reports()
    finished = {r["input"]: os.stat(os.path.join(r["output_folder"], MANIFEST)).st_ino for r in before}
    assert 3 <= len(finished) < 12, finished

    # The second run resumes through Parallel's ssh path: only the books not done are published.
    second = run(*remote)
    assert "resuming" in second.stderr and "books failed:      0" in second.stdout, second.stdout
    # (A job killed between printing its report and Parallel logging it runs again: up to date.)
    resumed = reports()[len(before):]
    assert {r["input"] for r in resumed} >= {os.path.join(pdfs, n) for n in names} - set(finished), resumed
    assert all(r["result"] == "up to date" for r in resumed if r["input"] in finished), resumed
    for name in names:
        book = os.path.join(books, name[:-4])
        check_whole(book)
        if os.path.join(pdfs, name) in finished:
            assert os.stat(os.path.join(book, MANIFEST)).st_ino == finished[os.path.join(pdfs, name)], name
    leftovers = [os.path.join(d, n) for d, dirs, files in os.walk(books) for n in dirs + files
                 if "leafcraft-staging" in n or n in (".leafcraft-lock", ".leafcraft-swap", "work")]
    assert not leftovers and sorted(os.listdir(state)) == ["joblog", "lock", "pdf-folder", "pdfs", "reports.jsonl"], leftovers
    assert not os.listdir(env["TMPDIR"]), os.listdir(env["TMPDIR"])

    # Nothing changed: every book is up to date and nothing is written again (how quickly is
    # bench/if-changed.sh's to say).
    stamps = lambda: {n: os.stat(os.path.join(books, n[:-4], MANIFEST)).st_mtime_ns for n in names}
    before = stamps()
    third = run("-j", "2")
    assert "books up to date:  12" in third.stdout and stamps() == before, third.stdout
    assert [r["result"] for r in reports()] == ["up to date"] * 12

    # A changed PDF is published again, the others are left as they are.
    subprocess.run([sys.executable, os.path.join(SOURCE, "scripts", "make_pdfs.py"), "--pages", "2",
                    os.path.join(pdfs, names[5])], check=True)
    fourth = run("-j", "2", "-S", ":")
    assert "books written:     1" in fourth.stdout and "books up to date:  11" in fourth.stdout, fourth.stdout
    assert [r["input"] for r in reports() if r["result"] == "written"] == [os.path.join(pdfs, names[5])]
    assert check_whole(os.path.join(books, names[5][:-4]))

    # A machine that runs nothing (its jobs end well for Parallel but print no report) fails
    # the run; the book it should have written again is left as it was.
    subprocess.run([sys.executable, os.path.join(SOURCE, "scripts", "make_pdfs.py"), "--pages", "3",
                    os.path.join(pdfs, names[7])], check=True)
    stamp = stamps()[names[7]]
    fifth = run(*no_shell, expect=1)
    assert "books failed:      1" in fifth.stdout and "%s: no report" % names[7] in fifth.stdout, fifth.stdout
    assert stamps()[names[7]] == stamp and check_whole(os.path.join(books, names[7][:-4]))

    # A PDF that cannot be published is a failure with its reason, and the run says so.
    with open(os.path.join(pdfs, "broken.pdf"), "w") as f:
        f.write("not a PDF")
    fifth = run("-j", "2", expect=1)
    assert "broken.pdf: exit status 3:" in fifth.stdout and "books failed:      1" in fifth.stdout, fifth.stdout

    # A PDF whose book would hold other books is refused before anything is published.
    os.replace(os.path.join(pdfs, "broken.pdf"), os.path.join(pdfs, "part 1.pdf"))
    refused = run("-j", "2", expect=2)
    assert "the book of part 1.pdf would hold the books of the PDFs in part 1/" in refused.stderr, refused.stderr


if __name__ == "__main__":
    sys.exit(e2e.main())
