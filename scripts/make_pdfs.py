#!/usr/bin/env python3
"""A small PDF writer (standard library only) and the books the sample and the benchmarks read.

Usage:
  make_pdfs.py --pages N OUT.pdf      a book of N text pages, for benchmarks
  make_pdfs.py --sample OUT.pdf       an 8-page sample document with text, links and bookmarks

The test fixtures are written with this writer by tests/data/make_fixtures.py.
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
                # A stream that comes encoded (a JPEG picture) is written as it is.
                if compress and len(data) > 64 and "Filter" not in value:
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
        self.pictures = []  # (name, width px, height px, RGB bytes)

    def picture(self, x, y, w, h, width_px, height_px, rgb):
        """Draws an RGB picture of width_px x height_px pixels into the box (x, y, w, h)."""
        name = "Im%d" % len(self.pictures)
        self.pictures.append((name, width_px, height_px, rgb))
        self.ops.append("q %g 0 0 %g %g %g cm /%s Do Q" % (w, h, x, y, name))

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


def build(path, pages, outline=None, dests=None, security=None, title="Leafcraft test document", compress=True,
          lang=None):
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
        resources = {"Font": {"F1": font, "F2": bold}}
        if page.pictures:
            resources["XObject"] = {name: w.add({"Type": Name("XObject"), "Subtype": Name("Image"), "Width": pw,
                                                 "Height": ph, "ColorSpace": Name("DeviceRGB"),
                                                 "BitsPerComponent": 8}, rgb)
                                    for name, pw, ph, rgb in page.pictures}
        d = {"Type": Name("Page"), "Parent": pages_ref, "MediaBox": page.media, "Contents": content,
             "Resources": resources}
        if page.crop:
            d["CropBox"] = page.crop
        if page.rotate:
            d["Rotate"] = page.rotate
        if annots:
            d["Annots"] = annots
        w.set(ref, d)
    w.set(pages_ref, {"Type": Name("Pages"), "Kids": page_refs, "Count": len(page_refs)})
    cat = {"Type": Name("Catalog"), "Pages": pages_ref}
    if lang:  # the language of the document's text
        cat["Lang"] = lang
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
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
