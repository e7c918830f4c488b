#!/usr/bin/env python3
"""End-to-end tests of what `leafcraft-cli publish` must never do to a user's folder: a table of
hostile folder layouts, a table of file-property values, interruption and failed output."""
import glob
import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import publish_e2e as e2e  # noqa: E402  (its Ctx, fixtures and runner)

e2e.CASES.clear()
case = e2e.case
PNG = b"\x89PNG\r\n\x1a\n" + b"\0" * 32


def put(path, data=b"mine"):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def read(path):
    with open(path, "rb") as f:
        return f.read()


# (name, layout made in DIR, extra options, exit code of the publish, files that must keep b"mine")
LAYOUTS = [
    ("user files under book names", ["files/page/notes.txt", "pages.xml", "mobile/notes.txt"], [], 0,
     ["files/page/notes.txt", "pages.xml", "mobile/notes.txt"]),
    ("a phone page of the user's", ["mobile/index.html"], ["--mobile", "slide"], 4, ["mobile/index.html"]),
    ("a page picture of the user's", ["files/page/1.jpg"], [], 4, ["files/page/1.jpg"]),
    ("files is a link out", ["@files"], [], 4, []),
    ("files/page is a link out", ["@files/page"], [], 4, []),
    ("an application's folder of the user's", ["Book.app/Contents/Resources/index.html"], ["--app", "--name", "Book"],
     4, ["Book.app/Contents/Resources/index.html"]),
    ("a name too long for a file", ["notes.txt"], ["--name", "n" * 300], 4, ["notes.txt"]),
    ("a book of an earlier version, replaced", ["index.html", "files/config.xml", "files/page/1.jpg", "notes.txt"],
     ["--replace-old-book"], 0, ["notes.txt"]),
]


@case
def hostile_folder_layouts(ctx):
    for name, layout, options, code, kept in LAYOUTS:
        book = ctx.out("hostile " + name)
        elsewhere = ctx.out("elsewhere " + name)
        os.makedirs(elsewhere)
        for entry in layout:
            if entry.startswith("@"):
                os.makedirs(os.path.dirname(os.path.join(book, entry[1:])), exist_ok=True)
                os.symlink(elsewhere, os.path.join(book, entry[1:]))
            else:
                put(os.path.join(book, entry))
        before = sorted(os.path.relpath(p, book) for p in glob.glob(book + "/**", recursive=True))
        for _ in range(2):  # publish and republish
            p = ctx.run(ctx.pdf("links.pdf"), "-o", book, *options, expect=code)
        assert os.listdir(elsewhere) == [], (name, os.listdir(elsewhere))
        for path in kept:
            assert read(os.path.join(book, path)) == b"mine", (name, path)
        if code != 0:  # refused before anything was written
            assert "nothing was written" in p.stderr or "too long" in p.stderr, (name, p.stderr)
            after = sorted(os.path.relpath(p, book) for p in glob.glob(book + "/**", recursive=True))
            assert after == before, (name, after)
        assert not glob.glob(book + "/.leafcraft-*"), name


@case
def a_source_inside_the_book_folder_survives(ctx):
    book = ctx.out("source inside")
    os.makedirs(book)
    source = os.path.join(book, "links.pdf")
    put(source, read(ctx.pdf("links.pdf")))
    put(os.path.join(book, "logo.png"), PNG)
    for out in (book, os.path.relpath(book)):  # a relative -o records the same manifest
        ctx.run(source, "-o", out, "--set", "LogoFile=" + os.path.join(book, "logo.png"))
    assert sorted(os.listdir(book)) == ["files", "index.html", "links.pdf", "logo.png"], os.listdir(book)
    assert os.path.isfile(os.path.join(book, "files/leafcraft-manifest.txt"))
    assert read(source) == read(ctx.pdf("links.pdf"))
    assert read(os.path.join(book, "logo.png")) == PNG


# (value of the property LogoFile, exit code, words the message must carry)
def property_values(ctx):
    put(ctx.out("props/logo.png"), PNG)
    put(ctx.out("props/text.png"), b"not a picture")
    put(ctx.out("props/.ssh/id.png"), PNG)
    return [
        (ctx.out("props/logo.png"), 0, "copying " + ctx.out("props/logo.png")),
        (ctx.out("props/text.png"), 3, "content"),
        (ctx.out("props/.ssh/id.png"), 3, "hidden"),
        ("/etc/hostname", 3, "system folder"),
        ("/dev/null", 3, "system folder"),
        (ctx.out("props"), 3, "regular file"),
        (ctx.out("props/none.png"), 3, "does not exist"),
    ]


@case
def file_property_values(ctx):
    for value, code, words in property_values(ctx):
        book = ctx.out("property " + os.path.basename(value))
        p = ctx.run(ctx.pdf("links.pdf"), "-o", book, "--set", "LogoFile=" + value, expect=code)
        assert words in p.stderr, (value, p.stderr)
        if code:
            assert "LogoFile" in p.stderr and not os.path.exists(os.path.join(book, "files")), value


@case
def an_interrupted_publish_leaves_one_whole_book_and_a_rerun_succeeds(ctx):
    book = ctx.out("interrupted")
    tmp = ctx.out("tmp")
    os.makedirs(tmp)
    env = dict(os.environ, TMPDIR=tmp, HOME=ctx.out("home"))
    ctx.run(ctx.pdf("links.pdf"), "-o", book)
    put(os.path.join(book, "notes.txt"))

    def leftovers():
        return glob.glob(book + "/.leafcraft-*") + glob.glob(ctx.out(".interrupted.leafcraft-*"))

    def one_whole_book():  # the folder holds exactly the files one book's manifest lists
        lines = read(os.path.join(book, "files", "leafcraft-manifest.txt")).decode().split("\n")[1:-1]
        listed = [line for line in lines if not line.startswith("fingerprint ")]
        there = {os.path.relpath(os.path.join(d, f), book) for d, _, names in os.walk(book) for f in names}
        assert there - {"notes.txt", ".leafcraft-lock"} == set(listed), sorted(there ^ set(listed))[:5]
        assert read(os.path.join(book, "notes.txt")) == b"mine"

    stops = [(signal.SIGTERM, 0.3), (signal.SIGINT, 1.0)] + [(signal.SIGKILL, d) for d in (0.4, 0.8, 1.2, 1.6)]
    for i, (sig, delay) in enumerate(stops):
        # Each run would replace the other book, so a stop in the swap would show as a mix.
        p = subprocess.Popen([ctx.cli, "publish", ctx.pdf("mixed.pdf" if i % 2 else "links.pdf"), "-o", book],
                             env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(delay)
        p.send_signal(sig)
        p.wait(timeout=60)
        if sig != signal.SIGKILL:
            assert os.listdir(tmp) == [] and not leftovers(), (os.listdir(tmp), leftovers())
        one_whole_book()
    ctx.run(ctx.pdf("mixed.pdf"), "-o", book)
    one_whole_book()
    assert not leftovers()


@case
def a_book_published_from_inside_its_own_folder(ctx):
    book = ctx.out("from inside")
    os.makedirs(book)
    for _ in range(2):  # "-o ." once into an empty folder, once over the book
        subprocess.run([ctx.cli, "publish", ctx.pdf("links.pdf"), "-o", "."], cwd=book, check=True,
                       env=dict(os.environ, HOME=ctx.out("home")), capture_output=True)
    assert sorted(os.listdir(book)) == ["files", "index.html"], os.listdir(book)


@case
def a_failed_write_to_stdout_exits_4(ctx):
    with open("/dev/full", "w") as full:
        for args in (["templates"], ["publish", ctx.pdf("links.pdf"), "-o", ctx.out("full")]):
            p = subprocess.run([ctx.cli, *args], stdout=full, stderr=subprocess.PIPE, text=True, timeout=600)
            assert p.returncode == 4, (args, p.returncode, p.stderr)


if __name__ == "__main__":
    sys.exit(e2e.main())
