#!/usr/bin/env python3
"""End-to-end tests of what `leafcraft-cli publish` must never do to a user's folder: a table of
hostile folder layouts, a table of file-property values, interruption and failed output."""
import base64
import fcntl
import glob
import io
import os
import shutil
import signal
import subprocess
import sys
import time
import xml.dom.minidom
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import publish_e2e as e2e  # noqa: E402  (its Ctx, fixtures and runner)
import read_config  # noqa: E402

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


MANIFEST = "files/leafcraft-manifest.txt"


def manifest_of(book):
    """{path: "size hash"} of a book's manifest ("file <size> <hash> <path>" lines)."""
    lines = read(os.path.join(book, MANIFEST)).decode().split("\n")
    assert lines[0] == "# leafcraft book manifest 2", lines[0]
    return {line.split(" ", 3)[3]: " ".join(line.split(" ")[1:3]) for line in lines if line.startswith("file ")}


def list_in_manifest(book, entries):
    """Hand-edits the manifest to name more files: {path: "size hash"}."""
    with open(os.path.join(book, MANIFEST), "a") as f:
        f.writelines("file %s %s\n" % (record, path) for path, record in entries.items())


def tree(folder):
    return {os.path.relpath(os.path.join(d, f), folder): read(os.path.join(d, f))
            for d, _, names in os.walk(folder) for f in names}


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


def mounted(folder):
    os.makedirs(folder)
    return subprocess.run(["mount", "-t", "tmpfs", "-o", "size=4m", "tmpfs", folder],
                          capture_output=True).returncode == 0


# A republish over a book whose manifest names files that are not (or no longer) what it wrote.
# Each setup gets the book folder and the manifest record of files/page/1.jpg, makes the files,
# returns those that must keep their bytes, and may add names to the manifest. (name, setup,
# exit code, words of the message)
def hand_edited_manifest(book, page):
    put(os.path.join(book, "diary.txt"))
    put(os.path.join(book, "notes/n.txt"))
    list_in_manifest(book, {"diary.txt": "4 " + "0" * 32, "notes/n.txt": page})
    return ["diary.txt", "notes/n.txt"]


def read_only_folder(book, page):
    put(os.path.join(book, "ro/f.txt"))
    os.chmod(os.path.join(book, "ro"), 0o555)
    list_in_manifest(book, {"ro/f.txt": "4 " + "1" * 32})
    return ["ro/f.txt"]


def symlinked_folder(book, page):  # what the link reaches holds exactly the recorded bytes
    elsewhere = book + " elsewhere"
    put(os.path.join(elsewhere, "1.jpg"), read(os.path.join(book, "files/page/1.jpg")))
    os.symlink(elsewhere, os.path.join(book, "linked"))
    list_in_manifest(book, {"linked/1.jpg": page})
    return ["linked/1.jpg"]


def inner_mount(book, page):
    if not mounted(os.path.join(book, "mnt")):
        return None
    put(os.path.join(book, "mnt/1.jpg"), read(os.path.join(book, "files/page/1.jpg")))
    list_in_manifest(book, {"mnt/1.jpg": page})
    return ["mnt/1.jpg"]


def replaced_page_picture(book, page):
    put(os.path.join(book, "files/page/1.jpg"), PNG)
    return ["files/page/1.jpg"]


def old_format_manifest(book, page):
    listed = list(manifest_of(book)) + ["diary.txt", MANIFEST]
    put(os.path.join(book, "diary.txt"))
    put(os.path.join(book, MANIFEST), ("# leafcraft book manifest 1\n" + "\n".join(listed) + "\n").encode())
    return ["diary.txt"]


LISTED_FILES = [
    ("a hand-edited manifest", hand_edited_manifest, 0, "kept"),
    ("a file under a read-only folder", read_only_folder, 0, "kept"),
    ("a file behind a symlinked folder", symlinked_folder, 0, "kept"),
    ("a file in an inner mount", inner_mount, 0, "kept"),
    ("a page picture the user replaced", replaced_page_picture, 4, "files/page/1.jpg"),
    ("an old-format manifest", old_format_manifest, 0, "earlier version"),
]


@case
def a_listed_file_goes_only_while_it_is_what_the_book_wrote(ctx):
    for name, setup, code, words in LISTED_FILES:
        book = ctx.out("listed " + name)
        ctx.run(ctx.pdf("mixed.pdf"), "-o", book)
        kept = setup(book, manifest_of(book)["files/page/1.jpg"])
        if kept is None:
            print("skip " + name + ": cannot mount here")
            continue
        try:
            before = {path: read(os.path.join(book, path)) for path in kept}
            p = ctx.run(ctx.pdf("links.pdf"), "-o", book, expect=code)
            assert words in p.stderr, (name, p.stderr)
            for path in kept:
                assert read(os.path.join(book, path)) == before[path], (name, path)
            if code == 0:
                assert "# leafcraft book manifest 2" in read(os.path.join(book, MANIFEST)).decode(), name
                ctx.run(ctx.pdf("links.pdf"), "-o", book)  # and once more, with a manifest of its own
        finally:
            if setup is inner_mount:
                subprocess.run(["umount", os.path.join(book, "mnt")])


@case
def planted_staging_folders_of_another_user_are_left_alone(ctx):
    if os.geteuid() != 0:
        print("skip: another user's files need root to make")
        return
    parent = ctx.out("shared")
    book = os.path.join(parent, "book")
    ctx.run(ctx.pdf("links.pdf"), "-o", book)
    put(os.path.join(book, "private/thesis.tex"))
    os.chmod(os.path.join(book, "private"), 0o700)
    put(os.path.join(book, "notes.txt"))
    page = manifest_of(book)["files/page/1.jpg"]
    journal = "# leafcraft book manifest 2\nfile 4 %s private/thesis.tex\nfile %s files/page/1.jpg\n" % ("0" * 32, page)
    planted = {  # beside the book with a journal, inside it without one
        os.path.join(parent, ".book.leafcraft-staging-AAAAAA"): {".leafcraft-swap": journal.encode(),
                                                               "index.html": b"planted"},
        os.path.join(book, ".leafcraft-staging-BBBBBB"): {"notes.txt": b"planted", "index.html": b"planted"},
    }
    for folder, files in planted.items():
        for name, data in files.items():
            put(os.path.join(folder, name), data)
        for path in [folder] + [os.path.join(folder, n) for n in files]:
            os.chown(path, 65534, 65534)
        os.chmod(folder, 0o777)
    for _ in range(2):
        p = ctx.run(ctx.pdf("mixed.pdf"), "-o", book)
        assert p.stderr.count("alone") == 2, p.stderr
        for folder, files in planted.items():
            assert tree(folder) == files and os.stat(folder).st_uid == 65534, folder
        assert read(os.path.join(book, "private/thesis.tex")) == b"mine"
        assert read(os.path.join(book, "notes.txt")) == b"mine"
        assert read(os.path.join(book, "index.html")) != b"planted"
        assert os.path.isfile(os.path.join(book, "files/page/1.jpg"))


@case
def a_republish_keeps_the_owner_mode_and_times_of_the_users_folders(ctx):
    if os.geteuid() != 0:
        print("skip: another user's files need root to make")
        return
    book = ctx.out("owned folders")
    ctx.run(ctx.pdf("links.pdf"), "-o", book)
    put(os.path.join(book, "notes/n.txt"))
    folder = os.path.join(book, "notes")
    os.chown(folder, 65534, 65534)
    os.chmod(folder, 0o750)
    os.utime(folder, (1000000000, 1000000000))
    ctx.run(ctx.pdf("mixed.pdf"), "-o", book)
    st = os.stat(folder)
    assert (st.st_uid, st.st_gid, st.st_mode & 0o7777, st.st_mtime) == (65534, 65534, 0o750, 1000000000), st


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
def a_settings_file_brings_in_files_of_its_own_folder_only(ctx):
    put(ctx.out("set/logo.png"), PNG)
    put(ctx.out("set/sub/read.txt"), b"read me")
    put(ctx.out("elsewhere/notes.txt"), b"private")
    os.symlink(ctx.out("elsewhere/notes.txt"), ctx.out("set/link.txt"))
    notes = ctx.out("elsewhere/notes.txt")
    # (settings lines, files allowed on the command line, exit code, words the message must carry)
    for row, (lines, allowed, code, words) in enumerate([
        ("LogoFile=logo.png\nDownloadFile=sub/read.txt", [], 0, "copying " + ctx.out("set/sub/read.txt")),
        ("DownloadFile=" + notes, [], 3, "--allow-file"),
        ("DownloadFile=../elsewhere/notes.txt", [], 3, "outside the settings file's folder"),
        ("DownloadFile=link.txt", [], 3, "outside the settings file's folder"),
        ("DownloadFile=../elsewhere/notes.txt", [notes], 0, "copying " + notes),
        ("DownloadFile=logo.png", [], 3, "extensions"),
    ]):
        put(ctx.out("set/s.txt"), lines.encode())
        book = ctx.out("settings book %d" % row)
        allow = [a for f in allowed for a in ("--allow-file", f)]
        p = ctx.run(ctx.pdf("links.pdf"), "-o", book, "--pages", "1", "--settings", ctx.out("set/s.txt"), *allow,
                    expect=code)
        assert words in p.stderr, (lines, p.stderr)
        assert code == 0 or not os.path.exists(os.path.join(book, "files")), lines


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
        listed = set(manifest_of(book)) | {"files/leafcraft-manifest.txt"}
        there = {os.path.relpath(os.path.join(d, f), book) for d, _, names in os.walk(book) for f in names}
        assert there - {"notes.txt", ".leafcraft-lock"} == listed, sorted(there ^ listed)[:5]
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
    assert not leftovers(), leftovers()


@case
def work_folders_of_runs_that_have_gone_are_cleared(ctx):
    if os.geteuid() != 0:
        print("skip: another user's files need root to make")
        return
    tmp = ctx.out("stale tmp")
    folders = {  # name: (owner, held by a live process, cleared)
        "LeafcraftPublish-KILLED01": (0, False, True),
        "Sheetwise-KILLED02": (0, False, True),
        "Sheetwise-RUNNING3": (0, True, False),
        "Sheetwise-ANOTHER4": (65534, False, False),
    }
    held = []
    for name, (owner, live, _) in folders.items():
        put(os.path.join(tmp, name, "1.jpg"), PNG)
        os.chmod(os.path.join(tmp, name), 0o700)
        os.chown(os.path.join(tmp, name), owner, owner)
        if live:
            held.append(os.open(os.path.join(tmp, name), os.O_RDONLY))
            fcntl.flock(held[-1], fcntl.LOCK_EX)
    subprocess.run([ctx.cli, "publish", ctx.pdf("links.pdf"), "-o", ctx.out("stale book")], check=True,
                   env=dict(os.environ, HOME=ctx.out("home"), TMPDIR=tmp), capture_output=True)
    for name, (_, _, cleared) in folders.items():
        assert os.path.exists(os.path.join(tmp, name)) != cleared, name
    for fd in held:
        os.close(fd)


@case
def a_kill_in_a_swap_file_by_file_leaves_a_readable_book(ctx):
    """"-o ." swaps file by file: a KILL at each rename of the run (strace injects it) leaves the
    configuration and HTML page of one of the two books, with every page that book names."""
    if not shutil.which("strace"):
        print("skip: no strace")
        return
    def book_of(files):  # the decoded configuration (its container carries a time) and HTML page
        text = xml.dom.minidom.parseString(files["files/config.xml"]).documentElement.firstChild.data
        config = zipfile.ZipFile(io.BytesIO(read_config.rc4(read_config.KEY, base64.b64decode(text))))
        return config.read("config.xml"), files["index.html"]

    refs = {}
    books = ("cropped.pdf", "rotated.pdf")  # one page, then four
    for name in books:
        ctx.run(ctx.pdf(name), "-o", ctx.out("reference " + name))
        refs[name] = tree(ctx.out("reference " + name))
    book = ctx.out("killed by rename")
    env = dict(os.environ, HOME=ctx.out("home"), TMPDIR=ctx.out("killed tmp"))
    os.makedirs(env["TMPDIR"])
    for n in range(1, 60, 2):
        ctx.run(ctx.pdf(books[0]), "-o", book)  # each stop starts from the smaller book whole
        p = subprocess.run(["strace", "-f", "-qq", "-o", "/dev/null", "-e", "trace=rename,renameat,renameat2",
                            "-e", "inject=rename,renameat,renameat2:signal=KILL:when=%d" % n,
                            ctx.cli, "publish", ctx.pdf(books[1]), "-o", "."], cwd=book, env=env, capture_output=True)
        now = tree(book)
        config, page = book_of(now)
        ref = [r for r in refs.values() if book_of(r)[0] == config]
        assert ref and page in {r["index.html"] for r in refs.values()}, n
        missing = [f for f in ref[0] if f.startswith("files/page/") and f not in now]
        assert not missing, (n, missing)
        if p.returncode == 0:
            break
    else:
        raise AssertionError("every run was stopped")
    assert n > 10, n  # the swap itself was stopped, all along
    ctx.run(ctx.pdf("links.pdf"), "-o", book)
    assert set(tree(book)) - {".leafcraft-lock"} == set(manifest_of(book)) | {MANIFEST}


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
