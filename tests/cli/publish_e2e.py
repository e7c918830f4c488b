#!/usr/bin/env python3
"""End-to-end tests of `leafcraft-cli publish`: books made from the generated PDF fixtures are
opened the way the player opens them (config.xml container, config.js, search.js), and every
exit code is provoked. Prints one line per case and "N passed, N failed" at the end."""
import argparse
import base64
import io
import zipfile
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import traceback
import xml.dom.minidom

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "publish"))
import read_config  # noqa: E402  (the independent container reader)

CASES = []


def case(fn):
    CASES.append(fn)
    return fn


class Ctx:
    def __init__(self, cli, fixtures, work):
        self.cli, self.fixtures, self.work = cli, fixtures, work

    def pdf(self, name):
        return os.path.join(self.fixtures, name)

    def out(self, name):
        return os.path.join(self.work, name)

    def run(self, *args, expect=0):
        env = dict(os.environ)
        env["HOME"] = self.out("home")  # never the user's settings or preview folder
        env["XDG_DATA_HOME"] = self.out("home/data")
        env["XDG_CONFIG_HOME"] = self.out("home/config")
        p = subprocess.run([self.cli, "publish", *args], capture_output=True, text=True, env=env, timeout=600)
        if p.returncode != expect:
            raise AssertionError("exit %d (expected %d) for %s\nstdout: %s\nstderr: %s"
                                 % (p.returncode, expect, " ".join(args), p.stdout, p.stderr))
        return p


def config_of(book):
    """The configuration document of a book, decoded independently, and its parsed DOM."""
    container = os.path.join(book, "files", "config.xml")
    with open(container, "rb") as f:
        raw = f.read()
    root = xml.dom.minidom.parseString(raw).documentElement
    text = root.firstChild.data
    data = zipfile.ZipFile(io.BytesIO(read_config.rc4(read_config.KEY, base64.b64decode(text)))).read("config.xml")
    # config.js is the container text as a script.
    with open(os.path.join(book, "files", "config.js"), encoding="utf-8") as f:
        script = f.read()
    prefix = "window.LeafcraftConfigXML = "
    assert script.startswith(prefix) and script.endswith(";\n"), script[:80]
    assert json.loads(script[len(prefix):-2]) == raw.decode("utf-8")
    assert "</" not in script, "config.js must not close a script element"
    return xml.dom.minidom.parseString(data).documentElement


def search_of(book):
    with open(os.path.join(book, "files", "search", "search.js"), encoding="utf-8") as f:
        script = f.read()
    prefix = "window.LeafcraftSearchText = "
    assert script.startswith(prefix) and script.endswith(";\n")
    return json.loads(script[len(prefix):-2])


def children(el, name=None):
    return [c for c in el.childNodes if c.nodeType == c.ELEMENT_NODE and (name is None or c.tagName == name)]


def items(page, name):
    return [i for i in children(page, "Item") if i.getAttribute("name") == name]


@case
def help_lists_every_option(ctx):
    p = ctx.run("--help")
    assert all(o in p.stdout for o in "-o, --output|--pages|--format|--template|--set|--allow-text".split("|"))
    assert "vector" not in p.stdout and "picture" in p.stdout
    assert "--page-list WORK/pages.xml Take" in p.stdout  # a name wider than its column


@case
def publishes_a_book_with_links_bookmarks_and_search_text(ctx):
    book = ctx.out("links book")
    p = ctx.run(ctx.pdf("links.pdf"), "-o", book, "--name", "report", "--title", "Links & <more>")
    html = os.path.join(os.path.realpath(book), "report.html")
    assert p.stdout == html + "\n", repr(p.stdout)
    with open(html, encoding="utf-8") as f:
        page = f.read()
    assert "<title>Links &amp; &lt;more&gt;</title>" in page, page
    assert "${" not in page
    assert not os.path.exists(os.path.join(book, "pages.xml")), "the book carries its page list in config.xml"
    for i in range(1, 6):
        for sub in ("page", "thumb"):
            path = os.path.join(book, "files", sub, "%d.jpg" % i)
            with open(path, "rb") as f:
                assert f.read(3) == b"\xff\xd8\xff", path
    assert os.path.isfile(os.path.join(book, "files", "player", "player.js"))

    cfg = config_of(book)
    top = [c.tagName for c in children(cfg)]
    assert top == ["XMLVersion", "Config", "ols", "Pages"], top
    pages = children(cfg, "Pages")[0]
    assert [int(pages.getAttribute(a)) for a in ("largeWidth", "largeHeight", "width")] == [1224, 1584, 700]
    page_els = children(pages, "Page")
    assert len(page_els) == 5
    assert items(page_els[0], "normal")[0].firstChild.data == "page/1.jpg"
    assert items(page_els[0], "thumb")[0].firstChild.data == "thumb/1.jpg"
    links = [i for p in page_els for i in items(p, "Link")]
    web = [l for l in links if l.getAttribute("action") == "web"]
    to_page = [l for l in links if l.getAttribute("action") == "page"]
    assert web and all(l.getAttribute("href") for l in web)
    assert to_page and all(1 <= int(l.getAttribute("pageIndex")) <= 5 for l in to_page)
    ols = children(cfg, "ols")[0]
    assert children(ols, "o"), "bookmarks reach the book"

    texts = search_of(book)
    assert len(texts) == 5 and all(isinstance(t, str) for t in texts)
    assert sum(len(t) for t in texts) > 0, "the PDF's text reaches the search file"


@case
def template_style_settings_file_and_set_apply_in_order(ctx):
    settings = ctx.out("my.txt")
    with open(settings, "w") as f:
        f.write("Title=From the file\nAuthorName=Ann\n")
    book = ctx.out("styled")
    ctx.run(ctx.pdf("mixed.pdf"), "-o", book, "--template", "Linen", "--style", "Natural", "--settings", settings,
            "--set", "Title=From the command line", "--jobs", "1")
    setting = children(children(config_of(book), "Config")[0], "Setting")[0]
    assert children(setting, "Title")[0].firstChild.data == "From the command line"
    author = children(children(config_of(book), "Config")[0], "Author")[0]
    assert children(author, "Name")[0].firstChild.data == "Ann"


@case
def a_panoramic_book_carries_its_cube_pictures(ctx):
    cube = ["b.jpg", "d.jpg", "f.jpg", "l.jpg", "r.jpg", "u.jpg"]
    for style in ("Dusk", None):  # the chosen style's pictures, else the default style's
        book = ctx.out("pano-%s" % style)
        ctx.run(ctx.pdf("links.pdf"), "-o", book, "--pages", "1", "--template", "Panoramic",
                *(["--style", style] if style else []))
        ext = os.path.join(book, "files", "extfiles")
        assert sorted(n for n in os.listdir(ext) if n in cube) == cube, os.listdir(ext)
    book = ctx.out("flat")
    ctx.run(ctx.pdf("links.pdf"), "-o", book, "--pages", "1", "--style", "Blue")
    assert not set(os.listdir(os.path.join(book, "files", "extfiles"))) & set(cube)


@case
def swf_pages_get_a_picture_beside_them(ctx):
    book = ctx.out("swf")
    p = subprocess.run([ctx.cli, "publish", ctx.pdf("rotated.pdf"), "-o", book, "--format", "swf", "--pages", "1-2"],
                       capture_output=True, text=True, timeout=600,
                       env=dict(os.environ, HOME=ctx.out("home"), XDG_DATA_HOME=ctx.out("home/data")))
    if p.returncode != 0 and "pdf2swf" in p.stderr:
        print("  (skipped: the page tool is not built)")
        return
    assert p.returncode == 0, p.stderr
    names = sorted(os.listdir(os.path.join(book, "files", "page")))
    assert names == ["1.jpg", "1.swf", "2.jpg", "2.swf"], names
    page_els = children(children(config_of(book), "Pages")[0], "Page")
    assert items(page_els[0], "normal")[0].firstChild.data == "page/1.swf"


@case
def svg_pages_are_drawings_and_a_scan_stays_the_jpg_page(ctx):
    svg_book, jpg_book = ctx.out("svg book"), ctx.out("same as jpg")
    p = ctx.run(ctx.pdf("scanned.pdf"), "-o", svg_book, "--format", "svg", "--mobile", "flip")
    assert "1 of 2 pages are pictures instead of drawings: 1 lighter as a picture" in p.stderr, p.stderr
    ctx.run(ctx.pdf("scanned.pdf"), "-o", jpg_book)
    page = lambda book, name: os.path.join(book, "files", "page", name)
    with open(page(svg_book, "1.svg"), "rb") as f:
        raw = f.read()
    svg = xml.dom.minidom.parseString(raw).documentElement
    assert svg.tagName == "svg" and svg.getAttribute("viewBox") == "0 0 612 792", raw[:200]
    uses = svg.getElementsByTagName("use")
    ids = {d.getAttribute("id") for d in svg.getElementsByTagName("path")}
    assert all(u.getAttribute("href")[1:] in ids for u in uses), "a glyph without outline"
    # A text page of well over a thousand glyphs, drawn by fewer elements (recurring words are one path).
    assert 100 < len(uses) < 1500, len(uses)
    places = [u.getAttribute(a) for u in uses for a in ("x", "y")]
    assert all(re.fullmatch(r"-?\d*(\.\d{1,2})?", v) for v in places), "places finer than a hundredth of a point"
    # Never worse than the JPG book: the text page is lighter, the scan is that book's very picture.
    assert os.path.getsize(page(svg_book, "1.svg")) * 2 < os.path.getsize(page(jpg_book, "1.jpg"))
    with open(page(svg_book, "2.jpg"), "rb") as a, open(page(jpg_book, "2.jpg"), "rb") as b:
        assert a.read() == b.read()
    assert not os.path.exists(page(svg_book, "2.svg"))
    page_els = children(children(config_of(svg_book), "Pages")[0], "Page")
    assert [items(e, "normal")[0].firstChild.data for e in page_els] == ["page/1.svg", "page/2.jpg"]
    assert [items(e, "thumb")[0].firstChild.data for e in page_els] == ["thumb/1.jpg", "thumb/2.jpg"]
    with open(os.path.join(svg_book, "mobile", "javascript", "main.js"), encoding="utf-8") as f:
        phone = f.read()
    assert 'bookConfig.pictures=["../files/page/1.svg","../files/mobile/2.jpg"]' in phone or \
        'bookConfig.pictures=["../files/page/1.svg","../files/page/2.jpg"]' in phone, phone[-300:]


def words_of(book, n):
    """The words of book page n as the player loads them: [[x, y, w, h, "word"], ...]."""
    with open(os.path.join(book, "files", "search", "words-%d.js" % n), encoding="utf-8") as f:
        script = f.read()
    prefix = "(window.LeafcraftWords = window.LeafcraftWords || {})[%d] = " % n
    assert script.startswith(prefix) and script.endswith(";\n"), script[:80]
    assert re.fullmatch(r"\d\.\d{4}", script[len(prefix):].split(",")[0].strip("[ ")), "4 decimals"
    return json.loads(script[len(prefix):-2])


def jpeg_size(path):
    with open(path, "rb") as f:
        data = f.read()
    i = 2
    while data[i + 1] not in (0xC0, 0xC1, 0xC2):
        i += 2 + int.from_bytes(data[i + 2:i + 4], "big")
    return int.from_bytes(data[i + 7:i + 9], "big"), int.from_bytes(data[i + 5:i + 7], "big")


@case
def contents_open_the_published_position_of_their_page(ctx):
    book = ctx.out("contents")
    ctx.run(ctx.pdf("contents.pdf"), "-o", book, "--pages", "1-3,20-30")
    kept = [1, 2, 3] + list(range(20, 31))
    with open(ctx.pdf("contents.json")) as f:
        want = json.load(f)["outline"]

    def expected(items):  # the book position of each entry's page; 0 when the book lacks it
        return [(i["title"], kept.index(i["destPage"]) + 1 if i["destPage"] in kept else 0, expected(i["children"]))
                for i in items]

    def found(parent):
        return [(children(o, "c")[0].firstChild.data, int(children(o, "p")[0].firstChild.data),
                 found(children(o, "ci")[0])) for o in children(parent, "o")]

    assert found(children(config_of(book), "ols")[0]) == expected(want)
    assert ("5.9 Deep", 4, []) in found(children(config_of(book), "ols")[0])[1][2]


@case
def pages_keep_their_shape_and_zoom_pictures_are_twice_the_page(ctx):
    book = ctx.out("shapes")
    ctx.run(ctx.pdf("shapes.pdf"), "-o", book, "--zoom-pictures")
    with open(ctx.pdf("shapes.json")) as f:
        sizes = json.load(f)["sizes"]
    page_els = children(children(config_of(book), "Pages")[0], "Page")
    assert [[float(p.getAttribute("width")), float(p.getAttribute("height"))] for p in page_els] == sizes
    setting = children(children(config_of(book), "Config")[0], "Setting")[0]
    assert children(setting, "TextLanguage")[0].firstChild.data == "de-CH"  # the PDF's /Lang, for screen readers
    for n, p in enumerate(page_els, 1):
        assert items(p, "large")[0].firstChild.data == "zoom/%d.jpg" % n
        w, h = jpeg_size(os.path.join(book, "files", "page", "%d.jpg" % n))
        assert jpeg_size(os.path.join(book, "files", "zoom", "%d.jpg" % n)) == (2 * w, 2 * h)
        assert abs(w / h - sizes[n - 1][0] / sizes[n - 1][1]) < 0.01
    ctx.run(ctx.pdf("shapes.pdf"), "-o", book, "--pages", "2")  # again, without zoom pictures
    page = children(children(config_of(book), "Pages")[0], "Page")[0]
    assert items(page, "large")[0].firstChild.data == "page/2.jpg"
    assert os.listdir(os.path.join(book, "files", "page")) == ["2.jpg"], "republishing replaces the pages"
    assert not os.path.exists(os.path.join(book, "files", "zoom"))


@case
def page_words_match_an_independent_reading_of_the_pdf(ctx):
    book = ctx.out("words")
    ctx.run(ctx.pdf("links.pdf"), "-o", book, "--pages", "2-3", "--no-links", "--no-bookmarks", "--quality", "4")
    cfg = config_of(book)  # the range only, without links and bookmarks
    assert [c.tagName for c in children(cfg)] == ["XMLVersion", "Config", "Pages"]
    page_els = children(children(cfg, "Pages")[0], "Page")
    assert [items(p, "normal")[0].firstChild.data for p in page_els] == ["page/2.jpg", "page/3.jpg"]
    assert not any(items(p, "Link") for p in page_els)
    assert sorted(os.listdir(os.path.join(book, "files", "page"))) == ["2.jpg", "3.jpg"]
    for n, pdf_page in ((1, 2), (2, 3)):
        bbox = subprocess.run(["pdftotext", "-bbox", "-f", str(pdf_page), "-l", str(pdf_page), ctx.pdf("links.pdf"),
                               "-"], capture_output=True, text=True, check=True).stdout
        dom = xml.dom.minidom.parseString(bbox)
        page = dom.getElementsByTagName("page")[0]
        pw, ph = float(page.getAttribute("width")), float(page.getAttribute("height"))
        theirs = [(w.firstChild.data, float(w.getAttribute("xMin")) / pw, float(w.getAttribute("yMax")) / ph)
                  for w in dom.getElementsByTagName("word")]
        ours = words_of(book, n)
        assert [w[4] for w in ours] == [t[0] for t in theirs]
        for (x, y, w, h, text), (_, x_min, y_max) in zip(ours, theirs):
            assert abs(x - x_min) < 0.01 and y < y_max <= y + h + 0.01, (text, x, y, h, x_min, y_max)
        assert " ".join(w[4] for w in ours) in " ".join(search_of(book)[n - 1].split())
    assert not os.path.exists(os.path.join(book, "files", "search", "words-3.js"))


@case
def text_the_pdf_forbids_copying_needs_allow_text(ctx):
    book = ctx.out("nocopy")
    p = ctx.run(ctx.pdf("nocopy.pdf"), "-o", book, "--allow-text")
    assert "forbid copying" in p.stderr, p.stderr
    assert "Page 2" in search_of(book)[1] and words_of(book, 2)[0][4] == "Page"
    p = ctx.run(ctx.pdf("nocopy.pdf"), "-o", book)  # over the book with text: none of it may stay
    assert "forbid copying" in p.stderr and "--allow-text" in p.stderr, p.stderr
    assert search_of(book) == ["", ""]
    assert [n for n in os.listdir(os.path.join(book, "files", "search")) if n.startswith("words")] == []


@case
def the_page_speaks_the_book_language_and_calls_nobody_unasked(ctx):
    book = ctx.out("settings")
    ctx.run(ctx.pdf("links.pdf"), "-o", book, "--pages", "1", "--title", "Field Notes", "--set", "languageSetting=German",
            "--mobile", "slide")
    for name in ("mobile/index.html", "index.html"):  # the phone page as the book's
        with open(os.path.join(book, name), encoding="utf-8") as f:
            page = f.read()
        assert '<html lang="de">' in page and 'rel="icon" href="data:' in page and "Field Notes</title>" in page, name
        assert "braucht JavaScript" in page or name == "index.html"
        assert "user-scalable" not in page
    assert 'name="keywords" content="Field Notes"' in page
    assert 'name="leafcraft-analytics" content=""' in page and "https://" not in page.split("<script")[0]
    setting = children(children(config_of(book), "Config")[0], "Setting")[0]
    assert children(setting, "Title")[0].firstChild.data == "Field Notes"
    p = ctx.run(ctx.pdf("links.pdf"), "-o", ctx.out("flow"), "--pages", "1", "--title", "Via the dialog", "--mobile", "flip",
                "--timings")
    assert re.search(r"timings: import \d+ ns, write \d+ ns", p.stderr), p.stderr
    setting = children(children(config_of(ctx.out("flow")), "Config")[0], "Setting")[0]  # the publish dialog's road
    assert children(setting, "Title")[0].firstChild.data == "Via the dialog"
    with open(os.path.join(ctx.out("flow"), "mobile", "javascript", "main.js"), encoding="utf-8") as f:
        assert 'bookTitle:"Via the dialog"' in f.read()  # the phone version too, not the template's default
    ctx.run(ctx.pdf("links.pdf"), "-o", ctx.out("slides"), "--pages", "1", "--mobile", "slide")
    with open(os.path.join(ctx.out("slides"), "mobile", "index.html"), encoding="utf-8") as f:
        assert "<title>links</title>" in f.read()  # no --title: the PDF's name, as the desktop book
    ctx.run(ctx.pdf("links.pdf"), "-o", book, "--pages", "1", "--set", "GoogleID=G-TEST&1",
            "--set", "DownloadFile=" + ctx.pdf("links.pdf"))
    with open(os.path.join(book, "index.html"), encoding="utf-8") as f:
        assert 'name="leafcraft-analytics" content="G-TEST&amp;1"' in f.read()
    download = children(children(children(config_of(book), "Config")[0], "Setting")[0], "Download")[0]
    assert download.getAttribute("fileName") == "links.pdf" and download.getAttribute("src") == "extfiles/DownloadFile.pdf"


@case
def an_edited_page_list_brings_its_items_and_files(ctx):
    make = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "make_page_list.py")
    work, book = ctx.out("editor work"), ctx.out("edited book")
    placed = json.loads(subprocess.run([sys.executable, make, work, "2"], check=True, capture_output=True,
                                       text=True).stdout)
    with open(os.path.join(work, "files", "editor", "private.txt"), "w") as f:
        f.write("not named by the list")
    ctx.run(ctx.pdf("links.pdf"), "-o", book, "--pages", "1-2", "--page-list", os.path.join(work, "pages.xml"))
    pages = children(children(config_of(book), "Pages")[0], "Page")
    for n, page in enumerate(pages, 1):
        assert items(page, "normal")[0].firstChild.data == "page/%d.jpg" % n
        got = [(i.getAttribute("name"), i.getAttribute("href"), i.getAttribute("title"))
               for i in children(page, "Item") if i.getAttribute("type") == "rect"]
        assert got == [(p["name"], p["href"], p.get("title", "")) for p in placed if p["page"] == n], got
    for p in placed:
        if p["name"] != "Link":
            with open(os.path.join(book, "files", p["href"]), "rb") as a, \
                    open(os.path.join(work, "files", p["href"]), "rb") as b:
                assert a.read() == b.read(), p["href"]
    assert not os.path.exists(os.path.join(book, "files", "editor", "private.txt"))

    # Every refusal exits 3 and writes no book.
    def refused(edit, pages_range="1-2", words="leafcraft-cli: "):
        with open(os.path.join(work, "pages.xml"), encoding="utf-8") as f:
            text = f.read()
        bad = ctx.out("bad-list")
        shutil.rmtree(bad, ignore_errors=True)
        shutil.copytree(work, bad, symlinks=True)
        edit(bad, text)
        out = ctx.out("refused book")
        p = ctx.run(ctx.pdf("links.pdf"), "-o", out, "--pages", pages_range,
                    "--page-list", os.path.join(bad, "pages.xml"), expect=3)
        assert words in p.stderr and not os.path.exists(os.path.join(out, "files")), p.stderr

    def rewrite(old, new, count=-1):
        def edit(bad, text):
            with open(os.path.join(bad, "pages.xml"), "w", encoding="utf-8") as f:
                f.write(text.replace(old, new, count))
        return edit

    def link_out(bad, _):
        os.remove(os.path.join(bad, "files", "editor", "020326090510.mp3"))
        os.symlink("/etc/passwd", os.path.join(bad, "files", "editor", "020326090510.mp3"))

    refused(rewrite("editor/020326090507.png", "../../outside.png"))
    refused(rewrite("editor/020326090507.png", "/etc/hostname"))
    refused(rewrite("editor/020326090510.mp3", "editor/020326090507.png"))  # a picture is no sound
    refused(rewrite("editor/020326090511.swf", "editor/missing.swf"))
    refused(rewrite("</Pages>", ""))
    refused(link_out)
    refused(rewrite("", ""), pages_range="1")
    link = '<Item name="Link" type="rect" x="0" y="0" width="1" height="1" href="https://example.org" action="web"/>'
    refused(rewrite("</Page>", link * 1001 + "</Page>", 1), words="more than 1000 items")


@case
def usage_errors_exit_2(ctx):
    pdf = ctx.pdf("links.pdf")
    for args in ([], [pdf], [pdf, "-o"], ["-o", ctx.out("u")], [pdf, pdf, "-o", ctx.out("u")],
                 [pdf, "-o", ctx.out("u"), "--bogus"], [pdf, "-o", ctx.out("u"), "--quality", "9"],
                 [pdf, "-o", ctx.out("u"), "--quality", "x"], [pdf, "-o", ctx.out("u"), "--format", "png"],
                 [pdf, "-o", ctx.out("u"), "--set", "novalue"], [pdf, "-o", ctx.out("u"), "--no-links=1"],
                 [pdf, "-o", ctx.out("u"), "--jobs", "0"], [pdf, "-o", ctx.out("u"), "--set", "NoSuchKey=1"],
                 [pdf, "-o", ctx.out("u"), "--name", "a/b"]):
        p = ctx.run(*args, expect=2)
        assert p.stderr.startswith("leafcraft-cli: "), p.stderr
        assert p.stdout == ""


@case
def bad_input_exits_3(ctx):
    out = ctx.out("bad")
    # Each kind of bad PDF and its message: ImportEndToEndTest; here, that all of them exit 3.
    for args in ([ctx.pdf("damaged.pdf")], [ctx.pdf("encrypted-128.pdf")], [ctx.pdf("nopages.pdf")],
                 [ctx.pdf("links.pdf"), "--pages", "9-12"], [ctx.pdf("links.pdf"), "--template", "NoSuch"],
                 [ctx.pdf("links.pdf"), "--template", "float", "--style", "NoSuch"],
                 [ctx.pdf("links.pdf"), "--settings", ctx.out("no-settings.txt")]):
        p = ctx.run(*args, "-o", out, expect=3)
        assert p.stderr.startswith("leafcraft-cli: "), p.stderr
    assert not os.path.exists(os.path.join(out, "files")), "nothing is written for bad input"


@case
def an_unwritable_output_exits_4(ctx):
    blocker = ctx.out("a-file")
    with open(blocker, "w") as f:
        f.write("x")
    for target in (blocker, os.path.join(blocker, "book")):
        p = ctx.run(ctx.pdf("links.pdf"), "-o", target, expect=4)
        assert "leafcraft-cli: " in p.stderr


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--cli", required=True)
    ap.add_argument("--make-pdfs", required=True)
    ap.add_argument("--keep", action="store_true")
    a = ap.parse_args()
    work = tempfile.mkdtemp(prefix="leafcraft-e2e-")
    fixtures = os.path.join(work, "pdfs")
    subprocess.run([sys.executable, a.make_pdfs, fixtures], check=True, capture_output=True)
    ctx = Ctx(os.path.abspath(a.cli), fixtures, work)
    passed = failed = 0
    for fn in CASES:
        try:
            fn(ctx)
            passed += 1
            print("ok   " + fn.__name__)
        except Exception:  # noqa: BLE001 - report every case
            failed += 1
            print("FAIL " + fn.__name__)
            traceback.print_exc(file=sys.stdout)
    if not a.keep:
        shutil.rmtree(work, ignore_errors=True)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
