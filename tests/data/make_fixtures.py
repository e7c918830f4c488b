#!/usr/bin/env python3
"""Writes the PDF test fixtures into OUTDIR with the PDF writer of scripts/make_pdfs.py.

Usage: make_fixtures.py OUTDIR

Fixtures written into OUTDIR:
  links.pdf         5 Letter pages; web links (URI actions) and page links (GoTo actions, /Dest arrays,
                    a named destination) at known rectangles; a 3-level outline. links.json describes both.
  rotated.pdf       4 pages of 600 x 400 points with /Rotate 0, 90, 180 and 270.
  cropped.pdf       1 page whose crop box [100 200 400 600] lies away from the origin, with one web link.
  mixed.pdf         pages of 612x792, 842x595, 595x842, 300x300 and 595.28x841.89 points.
  encrypted-40.pdf, encrypted-128.pdf   RC4 40-bit (R2) and 128-bit (R3), user password "secret".
  owner-only.pdf    RC4 128-bit with an empty user password (opens without asking).
  damaged.pdf       a PDF header followed by garbage.
  truncated.pdf     the first 40% of links.pdf.
  text.pdf          a text file named .pdf.
  nopages.pdf       a well-formed PDF whose page tree is empty.
  shapes.pdf        A4, A4 landscape, A5, A4 with /Rotate 90, a cropped Letter page; shapes.json lists
                    each page's displayed size. Its text is in Swiss German (/Lang de-CH).
  contents.pdf      30 pages with a 2-level outline (a section "5.9" on page 20) and a bookmark into
                    another file; contents.json lists the outline.
  nocopy.pdf        RC4 128-bit, empty user password, permissions that forbid copying text.
  scanned.pdf       a text page, then a page of 200 x 260 points that is one noisy picture of
                    800 x 1040 pixels (a scan: lighter as a page picture than as vector).

Hostile fixtures (make_hostile_fixtures), each small and each a lie about its size:
  huge-count.pdf    one real page under a page tree claiming /Count 2147483647.
  huge-page.pdf     one page of 2,000,000,000 x 2,000,000,000 points.
  big-page.pdf      one page of 6000 x 6000 points, too many pixels to render at full size.
  truncated-224.pdf the first half of a 224-page book.
  nested-forms.pdf  a plain page, then one whose forms each draw the one below ten times, nine deep:
                    10^9 boxes.
  huge-image.pdf    one page showing a 30000 x 30000 picture (900 MB once decoded) in 2 KB.
"""

import hashlib
import json
import os
import sys
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from make_pdfs import *  # noqa: E402,F401,F403  (the writer: build, text_page, PdfWriter, Name, ...)
from make_pdfs import make_book  # noqa: E402


def make_links(outdir):
    pages = [text_page(i + 1, heading="Chapter %d" % (i + 1)) for i in range(5)]
    links = [
        (0, "uri", [72, 600, 272, 630], "https://example.com/leafcraft"),
        (0, "goto", [72, 500, 200, 530], 2),
        (1, "dest", [300, 100, 500, 150], 4),
        (1, "uri", [50.5, 700.25, 150.75, 720.5], "mailto:books@example.com"),
        (3, "named", [100, 300, 250, 340], "appendix"),
    ]
    for page, kind, rect, target in links:
        pages[page].annots.append((kind, rect, target))
    outline = [
        ("Introduction", 0, []),
        ("Part One", 1, [
            ("Chapter Two", 1, [("Section 2.1", 1, []), ("Section 2.2", 2, [])]),
            ("Chapter Three", 2, []),
        ]),
        ("Appendix", 4, []),
    ]
    build(os.path.join(outdir, "links.pdf"), pages, outline=outline, dests={"appendix": 4})
    described = []
    for page, kind, rect, target in links:
        entry = {"page": page + 1, "rect": rect}
        if kind == "uri":
            entry["url"] = target
        else:
            entry["destPage"] = (4 if kind == "named" else target) + 1
        described.append(entry)

    def outline_json(items):
        return [{"title": t, "destPage": i + 1, "children": outline_json(c)} for t, i, c in items]

    with open(os.path.join(outdir, "links.json"), "w") as f:
        json.dump({"pageCount": 5, "pageSize": [612, 792], "links": described, "outline": outline_json(outline)},
                  f, indent=2)


def make_fixtures(outdir):
    os.makedirs(outdir, exist_ok=True)
    make_links(outdir)

    rotated = []
    for i, angle in enumerate((0, 90, 180, 270)):
        page = text_page(i + 1, 600, 400, heading="Rotated %d" % angle)
        page.rotate = angle
        rotated.append(page)
    build(os.path.join(outdir, "rotated.pdf"), rotated)

    cropped = text_page(1)
    cropped.crop = [100, 200, 400, 600]
    cropped.box(100, 200, 300, 400, (0.9, 0.9, 0.6))
    cropped.text(120, 560, 18, "Inside the crop box")
    cropped.annots.append(("uri", [150, 300, 350, 340], "https://example.com/cropped"))
    build(os.path.join(outdir, "cropped.pdf"), [cropped])

    sizes = [(612, 792), (842, 595), (595, 842), (300, 300), (595.28, 841.89)]
    build(os.path.join(outdir, "mixed.pdf"), [text_page(i + 1, w, h) for i, (w, h) in enumerate(sizes)])

    for revision, name in ((2, "encrypted-40.pdf"), (3, "encrypted-128.pdf")):
        file_id = hashlib.md5(name.encode()).digest()
        security = StandardSecurity(revision, "secret", "owner", file_id)
        w_pages = [text_page(i + 1) for i in range(2)]
        path = os.path.join(outdir, name)
        build(path, w_pages, security=security)
    file_id = hashlib.md5(b"owner-only").digest()
    build(os.path.join(outdir, "owner-only.pdf"), [text_page(1)],
          security=StandardSecurity(3, "", "owner", file_id))

    with open(os.path.join(outdir, "damaged.pdf"), "wb") as f:
        f.write(b"%PDF-1.4\n" + bytes((i * 7919 + 13) % 251 for i in range(4000)))
    with open(os.path.join(outdir, "links.pdf"), "rb") as f:
        data = f.read()
    with open(os.path.join(outdir, "truncated.pdf"), "wb") as f:
        f.write(data[: len(data) * 2 // 5])
    with open(os.path.join(outdir, "text.pdf"), "w") as f:
        f.write("This is a plain text file, not a PDF document.\n")

    make_reader_fixtures(outdir)

    w = PdfWriter()
    catalog = w.reserve()
    pages_ref = w.add({"Type": Name("Pages"), "Kids": [], "Count": 0})
    w.set(catalog, {"Type": Name("Catalog"), "Pages": pages_ref})
    w.write(os.path.join(outdir, "nopages.pdf"), catalog)


def make_reader_fixtures(outdir):
    """Fixtures for what a reader sees: page shapes, contents over a range, copy protection."""
    shapes = [(595, 842, 0, None), (842, 595, 0, None), (420, 595, 0, None), (595, 842, 90, None),
              (612, 792, 0, [50, 100, 550, 700])]
    pages, displayed = [], []
    for i, (w, h, rotate, crop) in enumerate(shapes):
        page = text_page(i + 1, w, h, heading="Shape %d" % (i + 1))
        page.rotate, page.crop = rotate, crop
        pages.append(page)
        cw, ch = (crop[2] - crop[0], crop[3] - crop[1]) if crop else (w, h)
        displayed.append([ch, cw] if rotate in (90, 270) else [cw, ch])
    build(os.path.join(outdir, "shapes.pdf"), pages, lang="de-CH")
    with open(os.path.join(outdir, "shapes.json"), "w") as f:
        json.dump({"sizes": displayed}, f)

    pages = [text_page(i + 1, heading="Section %d.%d" % (i // 4 + 1, i % 4 + 1)) for i in range(30)]
    outline = [
        ("1 Start", 0, [("1.2 Early", 1, [])]),
        ("5 Middle", 4, [("5.9 Deep", 19, []), ("5.10 Later", 24, [])]),
        ("Elsewhere", "other.pdf", [("7 Last", 29, [])]),
    ]
    build(os.path.join(outdir, "contents.pdf"), pages, outline=outline)

    def outline_json(items):
        return [{"title": t, "destPage": i + 1 if isinstance(i, int) else 0, "children": outline_json(c)}
                for t, i, c in items]

    with open(os.path.join(outdir, "contents.json"), "w") as f:
        json.dump({"outline": outline_json(outline)}, f, indent=2)

    no_copy = -4 & ~16  # every permission but copying text (bit 5)
    build(os.path.join(outdir, "nocopy.pdf"), [text_page(1), text_page(2)],
          security=StandardSecurity(3, "", "owner", hashlib.md5(b"nocopy").digest(), no_copy))


def scan_picture(width, height):
    """A grey noise picture from a 61 x 61 tile: Flate packs it small, JPEG cannot."""
    n = 12345
    tile = []
    for _ in range(61 * 61):
        n = (n * 1103515245 + 12345) & 0x7FFFFFFF
        tile.append(96 + (n >> 16) % 160)
    rows = []
    for y in range(height):
        row = bytes(tile[(y % 61) * 61 + x % 61] for x in range(61))
        rows.append((row * (width // 61 + 1))[:width])
    return b"".join(bytes(v for v in row for _ in range(3)) for row in rows)


def make_scanned(outdir):
    scan = Page(200, 260)
    scan.picture(0, 0, 200, 260, 800, 1040, scan_picture(800, 1040))
    build(os.path.join(outdir, "scanned.pdf"), [text_page(1), scan])


def make_hostile_fixtures(outdir):
    w = PdfWriter()
    catalog = w.reserve()
    pages_ref = w.reserve()
    page = w.add({"Type": Name("Page"), "Parent": pages_ref, "MediaBox": [0, 0, 612, 792]})
    w.set(pages_ref, {"Type": Name("Pages"), "Kids": [page], "Count": 2147483647})
    w.set(catalog, {"Type": Name("Catalog"), "Pages": pages_ref})
    w.write(os.path.join(outdir, "huge-count.pdf"), catalog)

    for name, side in (("huge-page.pdf", 2000000000), ("big-page.pdf", 6000)):
        page = text_page(1)
        page.media = [0, 0, side, side]
        build(os.path.join(outdir, name), [page])

    w = PdfWriter()
    form = w.add({"Type": Name("XObject"), "Subtype": Name("Form"), "BBox": [0, 0, 612, 792]},
                 stream=b"0.5 g 10 10 5 5 re f")
    for _ in range(9):
        form = w.add({"Type": Name("XObject"), "Subtype": Name("Form"), "BBox": [0, 0, 612, 792],
                      "Resources": {"XObject": {"F": form}}}, stream=b"/F Do " * 10)
    catalog, pages_ref = w.reserve(), w.reserve()
    kids = [w.add({"Type": Name("Page"), "Parent": pages_ref, "MediaBox": [0, 0, 612, 792],
                   "Contents": w.add({}, stream=stream), "Resources": {"XObject": {"F": form}}})
            for stream in (b"0 g 100 100 50 50 re f", b"/F Do")]
    w.set(pages_ref, {"Type": Name("Pages"), "Kids": kids, "Count": 2})
    w.set(catalog, {"Type": Name("Catalog"), "Pages": pages_ref})
    w.write(os.path.join(outdir, "nested-forms.pdf"), catalog)

    packer, row = zlib.compressobj(9), bytes(30000 // 8)
    packed = b"".join(packer.compress(row) for _ in range(30000)) + packer.flush()
    w = PdfWriter()
    image = w.add({"Type": Name("XObject"), "Subtype": Name("Image"), "Width": 30000, "Height": 30000,
                   "ColorSpace": Name("DeviceGray"), "BitsPerComponent": 1,
                   "Filter": [Name("FlateDecode"), Name("FlateDecode")]}, stream=zlib.compress(packed, 9))
    catalog, pages_ref = w.reserve(), w.reserve()
    content = w.add({}, stream=b"q 612 0 0 792 0 0 cm /I Do Q")
    page = w.add({"Type": Name("Page"), "Parent": pages_ref, "MediaBox": [0, 0, 612, 792], "Contents": content,
                  "Resources": {"XObject": {"I": image}}})
    w.set(pages_ref, {"Type": Name("Pages"), "Kids": [page], "Count": 1})
    w.set(catalog, {"Type": Name("Catalog"), "Pages": pages_ref})
    w.write(os.path.join(outdir, "huge-image.pdf"), catalog, compress=False)

    whole = make_book(os.path.join(outdir, "truncated-224.pdf"), 224)
    # Cut like an interrupted download, after the object that straddles the middle.
    with open(os.path.join(outdir, "truncated-224.pdf"), "wb") as f:
        f.write(whole[: whole.index(b"endobj\n", len(whole) // 2) + 7])


def main(argv):
    if len(argv) != 2 or argv[1].startswith("-"):
        sys.stderr.write(__doc__)
        return 2
    make_fixtures(argv[1])
    make_scanned(argv[1])
    make_hostile_fixtures(argv[1])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
