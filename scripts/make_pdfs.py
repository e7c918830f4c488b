#!/usr/bin/env python3
"""Writes the PDF files that the tests and benchmarks read, by hand, with the standard library only.

Usage:
  make_pdfs.py OUTDIR                 all test fixtures (and a JSON of their known links and bookmarks)
  make_pdfs.py --pages N OUT.pdf      a book of N text pages, for benchmarks
  make_pdfs.py --sample OUT.pdf       an 8-page sample document with text, links and bookmarks

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
                    each page's displayed size.
  contents.pdf      30 pages with a 2-level outline (a section "5.9" on page 20) and a bookmark into
                    another file; contents.json lists the outline.
  nocopy.pdf        RC4 128-bit, empty user password, permissions that forbid copying text.

Hostile fixtures (make_hostile_fixtures), each small and each a lie about its size:
  huge-count.pdf    one real page under a page tree claiming /Count 2147483647.
  huge-page.pdf     one page of 2,000,000,000 x 2,000,000,000 points.
  big-page.pdf      one page of 6000 x 6000 points, too many pixels to render at full size.
  truncated-224.pdf the first half of a 224-page book.
"""

import hashlib
import json
import os
import struct
import sys
import zlib

# ---------------------------------------------------------------------------------------------
# PDF objects


class Name(str):
    pass


class Ref:
    def __init__(self, num):
        self.num = num


class Raw(bytes):
    """Bytes that are written as they are (already PDF syntax)."""


class HexString(bytes):
    pass


def rc4(key, data):
    s = list(range(256))
    j = 0
    for i in range(256):
        j = (j + s[i] + key[i % len(key)]) & 0xFF
        s[i], s[j] = s[j], s[i]
    out = bytearray(len(data))
    i = j = 0
    for n, byte in enumerate(data):
        i = (i + 1) & 0xFF
        j = (j + s[i]) & 0xFF
        s[i], s[j] = s[j], s[i]
        out[n] = byte ^ s[(s[i] + s[j]) & 0xFF]
    return bytes(out)


PAD = bytes.fromhex("28BF4E5E4E758A4164004E56FFFA01082E2E00B6D0683E802F0CA9FE6453697A")


class StandardSecurity:
    """The standard security handler, revision 2 (RC4 40-bit) or 3 (RC4 128-bit)."""

    def __init__(self, revision, user_password, owner_password, file_id, permissions=-4):
        self.revision = revision
        self.length = 5 if revision == 2 else 16
        self.permissions = permissions  # -4: everything allowed
        self.file_id = file_id
        user = (user_password.encode("latin-1") + PAD)[:32]
        owner = (owner_password.encode("latin-1") + PAD)[:32]
        # O entry (algorithm 3.3)
        digest = hashlib.md5(owner).digest()
        if revision >= 3:
            for _ in range(50):
                digest = hashlib.md5(digest[: self.length]).digest()
        okey = digest[: self.length]
        o = rc4(okey, user)
        if revision >= 3:
            for i in range(1, 20):
                o = rc4(bytes(b ^ i for b in okey), o)
        self.o = o
        # file key (algorithm 3.2)
        digest = hashlib.md5(user + o + struct.pack("<i", self.permissions) + file_id).digest()
        if revision >= 3:
            for _ in range(50):
                digest = hashlib.md5(digest[: self.length]).digest()
        self.key = digest[: self.length]
        # U entry (algorithms 3.4 and 3.5)
        if revision == 2:
            self.u = rc4(self.key, PAD)
        else:
            u = rc4(self.key, hashlib.md5(PAD + file_id).digest())
            for i in range(1, 20):
                u = rc4(bytes(b ^ i for b in self.key), u)
            self.u = u + bytes(16)

    def dictionary(self):
        return {
            "Filter": Name("Standard"),
            "V": 1 if self.revision == 2 else 2,
            "R": self.revision,
            "Length": self.length * 8,
            "O": HexString(self.o),
            "U": HexString(self.u),
            "P": self.permissions,
        }

    def encrypt(self, num, data):
        key = hashlib.md5(self.key + struct.pack("<I", num)[:3] + b"\0\0").digest()[: min(self.length + 5, 16)]
        return rc4(key, data)


class PdfWriter:
    def __init__(self):
        self.objects = []  # (dict or value, stream bytes or None)
        self.security = None

    def reserve(self):
        self.objects.append(None)
        return Ref(len(self.objects))

    def set(self, ref, value, stream=None):
        self.objects[ref.num - 1] = (value, stream)
        return ref

    def add(self, value, stream=None):
        return self.set(self.reserve(), value, stream)

    def serialise(self, value, num):
        if isinstance(value, Raw):
            return bytes(value)
        if isinstance(value, Ref):
            return b"%d 0 R" % value.num
        if isinstance(value, Name):
            return b"/" + value.encode("latin-1")
        if isinstance(value, bool):
            return b"true" if value else b"false"
        if isinstance(value, int):
            return b"%d" % value
        if isinstance(value, float):
            return ("%.4f" % value).rstrip("0").rstrip(".").encode()
        if value is None:
            return b"null"
        if isinstance(value, HexString):
            return b"<" + value.hex().encode() + b">"
        if isinstance(value, (str, bytes)):
            data = value.encode("latin-1") if isinstance(value, str) else bytes(value)
            if self.security and num:
                return b"<" + self.security.encrypt(num, data).hex().encode() + b">"
            escaped = data.replace(b"\\", b"\\\\").replace(b"(", b"\\(").replace(b")", b"\\)")
            return b"(" + escaped + b")"
        if isinstance(value, (list, tuple)):
            return b"[" + b" ".join(self.serialise(v, num) for v in value) + b"]"
        if isinstance(value, dict):
            parts = [b"/" + k.encode() + b" " + self.serialise(v, num) for k, v in value.items()]
            return b"<<" + b" ".join(parts) + b">>"
        raise TypeError(value)

    def write(self, path, root, info=None, file_id=None, security=None, compress=True):
        file_id = security.file_id if security else (file_id or hashlib.md5(os.path.basename(path).encode()).digest())
        self.security = security
        encrypt_ref = None
        if security:
            encrypt_ref = len(self.objects) + 1
        out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
        offsets = []
        for index, entry in enumerate(self.objects):
            num = index + 1
            value, stream = entry
            offsets.append(len(out))
            out += b"%d 0 obj\n" % num
            if stream is not None:
                value = dict(value)
                data = stream
                if compress and len(data) > 64:
                    data = zlib.compress(data, 6)
                    value["Filter"] = Name("FlateDecode")
                if security:
                    data = security.encrypt(num, data)
                value["Length"] = len(data)
                out += self.serialise(value, num) + b"\nstream\n" + data + b"\nendstream"
            else:
                out += self.serialise(value, num)
            out += b"\nendobj\n"
        if security:
            offsets.append(len(out))
            self.security = None  # the encryption dictionary itself is never encrypted
            out += b"%d 0 obj\n" % encrypt_ref + self.serialise(security.dictionary(), 0) + b"\nendobj\n"
        xref = len(out)
        out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(offsets) + 1)
        for off in offsets:
            out += b"%010d 00000 n \n" % off
        trailer = {"Size": len(offsets) + 1, "Root": root, "ID": [HexString(file_id), HexString(file_id)]}
        if info:
            trailer["Info"] = info
        if encrypt_ref:
            trailer["Encrypt"] = Ref(encrypt_ref)
        out += b"trailer\n" + self.serialise(trailer, 0) + b"\nstartxref\n%d\n%%%%EOF\n" % xref
        with open(path, "wb") as f:
            f.write(out)
        return bytes(out)


# ---------------------------------------------------------------------------------------------
# Documents

WORDS = (
    "leaf craft page book turn paper light river stone garden morning letter window quiet "
    "harbour lantern meadow orchard silver thread compass journey valley winter summer story "
    "chapter margin reader binding spine cover ink press folio quire signature"
).split()


def pdf_text(text):
    return text.replace("\\", "\\\\").replace("(", "\\(").replace(")", "\\)")


class Page:
    def __init__(self, width=612, height=792):
        self.media = [0, 0, width, height]
        self.crop = None
        self.rotate = 0
        self.ops = []
        self.annots = []

    def text(self, x, y, size, text, font="F1", grey=0.1):
        self.ops.append("%g g BT /%s %g Tf %g %g Td (%s) Tj ET" % (grey, font, size, x, y, pdf_text(text)))

    def box(self, x, y, w, h, rgb):
        self.ops.append("%.3f %.3f %.3f rg %g %g %g %g re f" % (rgb + (x, y, w, h)))

    def paragraph(self, x, y, width, lines, seed, size=11):
        words = WORDS
        n = seed
        for line in range(lines):
            row = []
            length = 0
            while length < width / (size * 0.55):
                n = (n * 1103515245 + 12345) & 0x7FFFFFFF
                word = words[n % len(words)]
                row.append(word)
                length += len(word) + 1
            self.text(x, y - line * size * 1.4, size, " ".join(row).capitalize())


def build(path, pages, outline=None, dests=None, security=None, title="Leafcraft test document", compress=True):
    """pages: list of Page. outline: list of (title, page_index, children). Annotations refer to
    target pages by index: ("uri", rect, url) / ("goto", rect, index) / ("dest", rect, index) /
    ("named", rect, name)."""
    w = PdfWriter()
    catalog = w.reserve()
    pages_ref = w.reserve()
    font = w.add({"Type": Name("Font"), "Subtype": Name("Type1"), "BaseFont": Name("Helvetica"),
                  "Encoding": Name("WinAnsiEncoding")})
    bold = w.add({"Type": Name("Font"), "Subtype": Name("Type1"), "BaseFont": Name("Helvetica-Bold"),
                  "Encoding": Name("WinAnsiEncoding")})
    page_refs = [w.reserve() for _ in pages]
    for page, ref in zip(pages, page_refs):
        content = w.add({}, "\n".join(page.ops).encode("latin-1"))
        annots = []
        for kind, rect, target in page.annots:
            annot = {"Type": Name("Annot"), "Subtype": Name("Link"), "Rect": rect, "Border": [0, 0, 0]}
            if kind == "uri":
                annot["A"] = {"S": Name("URI"), "URI": target}
            elif kind == "goto":
                annot["A"] = {"S": Name("GoTo"), "D": [page_refs[target], Name("XYZ"), None, None, None]}
            elif kind == "dest":
                annot["Dest"] = [page_refs[target], Name("Fit")]
            elif kind == "named":
                annot["Dest"] = Name(target)
            annots.append(w.add(annot))
        d = {"Type": Name("Page"), "Parent": pages_ref, "MediaBox": page.media, "Contents": content,
             "Resources": {"Font": {"F1": font, "F2": bold}}}
        if page.crop:
            d["CropBox"] = page.crop
        if page.rotate:
            d["Rotate"] = page.rotate
        if annots:
            d["Annots"] = annots
        w.set(ref, d)
    w.set(pages_ref, {"Type": Name("Pages"), "Kids": page_refs, "Count": len(page_refs)})
    cat = {"Type": Name("Catalog"), "Pages": pages_ref}
    if dests:
        cat["Dests"] = {name: [page_refs[i], Name("Fit")] for name, i in dests.items()}
    if outline:
        root = w.reserve()

        def add_items(items, parent):
            refs = [w.reserve() for _ in items]
            for i, (ttl, index, children) in enumerate(items):
                d = {"Title": ttl, "Parent": parent}
                if isinstance(index, str):  # a bookmark into another file: (file name, its page 3)
                    d["A"] = {"S": Name("GoToR"), "F": index, "D": [2, Name("Fit")]}
                else:
                    d["Dest"] = [page_refs[index], Name("Fit")]
                if i > 0:
                    d["Prev"] = refs[i - 1]
                if i + 1 < len(refs):
                    d["Next"] = refs[i + 1]
                if children:
                    first, last, count = add_items(children, refs[i])
                    d.update({"First": first, "Last": last, "Count": count})
                w.set(refs[i], d)
            total = len(items) + sum(count_items(c) for _, _, c in items)
            return refs[0], refs[-1], total

        first, last, count = add_items(outline, root)
        w.set(root, {"Type": Name("Outlines"), "First": first, "Last": last, "Count": count})
        cat["Outlines"] = root
        cat["PageMode"] = Name("UseOutlines")
    w.set(catalog, cat)
    info = w.add({"Title": title, "Producer": "make_pdfs.py"})
    return w.write(path, catalog, info=info, security=security, compress=compress)


def count_items(items):
    return len(items) + sum(count_items(c) for _, _, c in items)


def text_page(number, width=612, height=792, heading=None, seed=0):
    page = Page(width, height)
    page.box(0, height - 60, width, 60, (0.16, 0.35, 0.55))
    page.text(36, height - 40, 20, heading or ("Page %d" % number), font="F2", grey=1)
    page.paragraph(36, height - 90, width - 72, max(1, int((height - 160) / 16)), seed + number)
    page.box(width - 90, 24, 54, 24, (0.85, 0.55, 0.2))
    page.text(36, 30, 10, "page %d" % number)
    return page


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
    build(os.path.join(outdir, "shapes.pdf"), pages)
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

    whole = make_book(os.path.join(outdir, "truncated-224.pdf"), 224)
    # Cut like an interrupted download, after the object that straddles the middle.
    with open(os.path.join(outdir, "truncated-224.pdf"), "wb") as f:
        f.write(whole[: whole.index(b"endobj\n", len(whole) // 2) + 7])


def make_book(path, count):
    pages = []
    for i in range(count):
        page = text_page(i + 1, heading="Chapter %d, page %d" % (i // 10 + 1, i + 1), seed=i * 31)
        if i + 1 < count:
            page.annots.append(("goto", [36, 24, 136, 48], i + 1))
        pages.append(page)
    outline = [("Chapter %d" % (c + 1), c * 10, []) for c in range((count + 9) // 10)]
    return build(path, pages, outline=outline, title="Benchmark book of %d pages" % count)


def make_sample(path):
    chapters = ["Welcome", "Turning pages", "Links", "Bookmarks", "Pictures", "Sharing", "Phones", "The end"]
    pages = []
    for i, heading in enumerate(chapters):
        page = text_page(i + 1, heading=heading, seed=i * 17)
        page.box(36, 420, 540, 120, (0.93 - i * 0.05, 0.85, 0.7 + i * 0.03))
        page.text(56, 480, 16, "Leafcraft sample book - %s" % heading, font="F2")
        pages.append(page)
    pages[0].annots.append(("uri", [56, 440, 300, 470], "https://example.com/leafcraft"))
    pages[0].text(56, 450, 12, "Visit the Leafcraft web site")
    pages[2].annots.append(("goto", [56, 440, 300, 470], 7))
    pages[2].text(56, 450, 12, "Jump to the last page")
    outline = [(heading, i, []) for i, heading in enumerate(chapters)]
    outline[1] = ("Turning pages", 1, [("Links", 2, []), ("Bookmarks", 3, [])])
    del outline[2:4]
    build(path, pages, outline=outline, title="Leafcraft sample book")


def main(argv):
    if len(argv) == 3 and argv[1] == "--sample":
        make_sample(argv[2])
    elif len(argv) == 4 and argv[1] == "--pages":
        make_book(argv[3], int(argv[2]))
    elif len(argv) == 2 and not argv[1].startswith("-"):
        make_fixtures(argv[1])
        make_hostile_fixtures(argv[1])
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
