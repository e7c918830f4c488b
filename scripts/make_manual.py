#!/usr/bin/env python3
"""A generated document as hard to draw as a typeset manual, for the benchmarks.

Usage:
  make_manual.py --pages N OUT.pdf

Every page holds dense justified text (2000 to 3500 glyphs, placed word by word with kerning
as a typesetter places them) in embedded fonts: Type 1 fonts from the URW base 35 set (roman,
italic, bold, sans, mono; subset to the glyphs used, as typesetters embed them) and TrueType
fonts from DejaVu (tables and captions). Many pages
add a ruled table, a code listing or a line drawing (curves, dashes, shading); a few carry a
photograph-like picture. The pages are the same on every run.
"""

import io
import math
import os
import random
import re
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_pdfs import Name, PdfWriter  # noqa: E402

TYPE1_DIR = "/usr/share/fonts/X11/Type1"
AFM_DIR = "/usr/share/fonts/type1/urw-base35"
TRUETYPE_DIR = "/usr/share/fonts/truetype/dejavu"

# Resource name -> (kind, file stem)
FONTS = {
    "R": ("type1", "NimbusRoman-Regular"),
    "I": ("type1", "NimbusRoman-Italic"),
    "B": ("type1", "NimbusRoman-Bold"),
    "H": ("type1", "NimbusSans-Bold"),
    "M": ("type1", "NimbusMonoPS-Regular"),
    "T": ("truetype", "DejaVuSans"),
    "TB": ("truetype", "DejaVuSans-Bold"),
    "C": ("truetype", "DejaVuSerif"),
}
FIRST, LAST = 32, 126

SYLLABLES = (
    "pa ge lea f bin der co ver ma nu al sec tion fig ure ta ble tur ning op tion set ting pro "
    "file im port ex port vi ew er mo de li nk out li ne book mark read er ti tle in dex ra nge "
    "qua li ty scr een lay out spr ead mar gin col umn for mat"
).split()


def pfb_segments(path):
    """The cleartext, binary and trailer parts of a PFB font file."""
    data = open(path, "rb").read()
    order = []
    i = 0
    while i + 6 <= len(data) and data[i] == 0x80 and data[i + 1] in (1, 2):
        kind = data[i + 1]
        length = struct.unpack("<I", data[i + 2 : i + 6])[0]
        order.append((kind, data[i + 6 : i + 6 + length]))
        i += 6 + length
    clear = order[0][1]
    binary = b"".join(d for k, d in order if k == 2)
    trailer = b"".join(d for k, d in order[1:] if k == 1)
    return clear, binary, trailer


def eexec(data, decrypt):
    r, out = 55665, bytearray(len(data))
    for i, byte in enumerate(data):
        out[i] = byte ^ (r >> 8)
        r = (((byte if decrypt else out[i]) + r) * 52845 + 22719) & 0xFFFF
    return bytes(out)


def subset_type1(binary, keep):
    """The encrypted part of a Type 1 font with only the glyphs named in `keep`, as a typesetter
    embeds fonts (whole fonts hold hundreds of glyphs a page never uses)."""
    plain = eexec(binary, True)
    start = plain.index(b"/CharStrings")
    head = re.compile(rb"/CharStrings\s+(\d+)\s+dict\s+dup\s+begin\s*").match(plain, start)
    entry = re.compile(rb"/(\S+)\s+(\d+)\s+(\S+)\s")
    pos, kept, count = head.end(), [], 0
    while True:
        m = entry.match(plain, pos)
        if not m:
            break
        end = m.end() + int(m.group(2))
        close = re.compile(rb"\s*(\S+)(\s+def)?\s*").match(plain, end)
        if m.group(1).decode("latin-1") in keep:
            kept.append(plain[m.start() : close.end()])
            count += 1
        pos = close.end()
    rebuilt = plain[:start] + b"/CharStrings %d dict dup begin\n" % count + b"".join(kept) + plain[pos:]
    return eexec(rebuilt, False)


def afm_widths(stem):
    """Widths of the codes FIRST..LAST, the font's box and the names of those glyphs."""
    widths, names, bbox = {}, {".notdef"}, [-200, -300, 1200, 1000]
    for line in open(os.path.join(AFM_DIR, stem + ".afm"), encoding="latin-1"):
        if line.startswith("FontBBox"):
            bbox = [int(v) for v in line.split()[1:5]]
        elif line.startswith("C "):
            fields = dict(f.strip().split(" ", 1) for f in line.split(";") if f.strip())
            code = int(fields["C"])
            if FIRST <= code <= LAST:
                widths[code] = int(float(fields["WX"]))
                names.add(fields["N"])
    return [widths.get(c, 500) for c in range(FIRST, LAST + 1)], bbox, names | {"quotesingle", "grave"}


def truetype_widths(path):
    from PIL import ImageFont

    font = ImageFont.truetype(path, 1000)
    return [int(round(font.getlength(chr(c)))) for c in range(FIRST, LAST + 1)]


def add_font(w, kind, stem):
    # Subset fonts are named with a tag, as typesetters name them.
    name = "LCMAN%s+%s" % (chr(ord("A") + len(w.objects) % 26), stem) if kind == "type1" else stem
    descriptor = {"Type": Name("FontDescriptor"), "FontName": Name(name), "Flags": 32, "ItalicAngle": 0,
                  "Ascent": 900, "Descent": -250, "CapHeight": 700, "StemV": 80}
    if kind == "type1":
        clear, binary, trailer = pfb_segments(os.path.join(TYPE1_DIR, stem + ".pfb"))
        widths, bbox, names = afm_widths(stem)
        binary = subset_type1(binary, names)
        descriptor["FontBBox"] = bbox
        descriptor["FontFile"] = w.add({"Length1": len(clear), "Length2": len(binary), "Length3": len(trailer)},
                                       clear + binary + trailer)
        subtype = "Type1"
    else:
        path = os.path.join(TRUETYPE_DIR, stem + ".ttf")
        data = open(path, "rb").read()
        widths = truetype_widths(path)
        descriptor["FontBBox"] = [-1000, -400, 2000, 1200]
        descriptor["FontFile2"] = w.add({"Length1": len(data)}, data)
        subtype = "TrueType"
    font = w.add({"Type": Name("Font"), "Subtype": Name(subtype), "BaseFont": Name(name),
                  "FirstChar": FIRST, "LastChar": LAST, "Widths": widths,
                  "Encoding": Name("WinAnsiEncoding"), "FontDescriptor": w.add(descriptor)})
    return font, widths


def esc(text):
    return text.replace("\\", "\\\\").replace("(", "\\(").replace(")", "\\)")


class Typesetter:
    def __init__(self, widths, rng):
        self.widths = widths
        self.rng = rng
        self.ops = []

    def width(self, font, text, size):
        table = self.widths[font]
        return sum(table[ord(c) - FIRST] for c in text) * size / 1000.0

    def word(self):
        word = "".join(self.rng.choice(SYLLABLES) for _ in range(self.rng.choice((1, 1, 2, 2, 2, 3, 4))))
        if self.rng.random() < 0.08:
            word = word.capitalize()
        if self.rng.random() < 0.1:
            word += self.rng.choice(",.;:")
        return word

    def tj(self, words, font, size, gap):
        """A TJ array: words placed by offsets (no space glyphs), a few kerns inside words."""
        parts = []
        for i, word in enumerate(words):
            if i:
                parts.append("%d" % -round(gap * 1000 / size))
            if len(word) > 4 and self.rng.random() < 0.3:
                k = self.rng.randrange(1, len(word) - 1)
                parts.append("(%s)%d(%s)" % (esc(word[:k]), self.rng.choice((-15, 10, 20, 30)), esc(word[k:])))
            else:
                parts.append("(%s)" % esc(word))
        return "[%s]TJ" % "".join(parts)

    def paragraph(self, x, y, width, lines, size=10.0, leading=12.4, indent=15.0):
        """Justified lines at (x, y) downwards; returns the y below them."""
        for line in range(lines):
            start = x + (indent if line == 0 else 0)
            room = width - (start - x)
            words, used = [], 0.0
            space = self.width("R", " ", size)
            while True:
                word = self.word()
                fw = self.width("R", word, size)
                if words and used + space + fw > room:
                    break
                words.append(word)
                used += fw + (space if len(words) > 1 else 0)
            last = line == lines - 1
            gap = space if last or len(words) < 2 else space + (room - used) / (len(words) - 1)
            # An italic word now and then, as emphasis does.
            font = "I" if self.rng.random() < 0.15 else "R"
            self.ops.append("BT /%s %.1f Tf %.2f %.2f Td %s ET" % (font, size, start, y, self.tj(words, font, size, gap)))
            y -= leading
        return y - leading * 0.9

    def text(self, x, y, font, size, text, grey=0.0):
        self.ops.append("%.2f g BT /%s %.1f Tf %.2f %.2f Td (%s)Tj ET 0 g" % (grey, font, size, x, y, esc(text)))

    def table(self, x, y, width, rows, cols):
        row_h = 12.5
        col_w = width / cols
        self.ops.append("0.93 0.95 0.97 rg %.2f %.2f %.2f %.2f re f 0 g" % (x, y - row_h, width, row_h))
        for r in range(1, rows, 2):
            self.ops.append("0.97 g %.2f %.2f %.2f %.2f re f 0 g" % (x, y - (r + 1) * row_h, width, row_h))
        for r in range(rows):
            for c in range(cols):
                font = "TB" if r == 0 else "T"
                cell = self.word() if c == 0 or r == 0 else "%d.%02d" % (self.rng.randrange(1000), self.rng.randrange(100))
                self.text(x + c * col_w + 3, y - (r + 1) * row_h + 3.5, font, 7.5, cell[:14])
        rules = ["0.4 w"]
        for r in range(rows + 1):
            rules.append("%.2f %.2f m %.2f %.2f l" % (x, y - r * row_h, x + width, y - r * row_h))
        for c in range(cols + 1):
            rules.append("%.2f %.2f m %.2f %.2f l" % (x + c * col_w, y, x + c * col_w, y - rows * row_h))
        self.ops.append(" ".join(rules) + " S")
        return y - rows * row_h - 14

    def listing(self, x, y, width, lines):
        self.ops.append("0.95 g %.2f %.2f %.2f %.2f re f 0 g" % (x - 4, y - lines * 9.5 + 4, width + 8, lines * 9.5 + 4))
        for i in range(lines):
            code = "  " * self.rng.randrange(4) + " ".join(self.word() for _ in range(self.rng.randrange(2, 7)))
            self.text(x, y - (i + 1) * 9.5 + 6, "M", 8, ("%3d  " % (i + 1)) + code + self.rng.choice(("();", " {", " = 0;", "")))
        return y - lines * 9.5 - 12

    def drawing(self, x, y, width, height):
        ops = ["q 0.6 w"]
        # A dashed grid and axes.
        ops.append("[2 2] 0 d 0.7 G")
        for i in range(11):
            ops.append("%.2f %.2f m %.2f %.2f l" % (x + i * width / 10, y - height, x + i * width / 10, y))
            ops.append("%.2f %.2f m %.2f %.2f l" % (x, y - height + i * height / 10, x + width, y - height + i * height / 10))
        ops.append("S [] 0 d 0 G 1 w")
        # Three plotted curves of a few hundred points each.
        for k, colour in enumerate(("0.8 0.1 0.1", "0.1 0.3 0.8", "0.1 0.6 0.2")):
            ops.append("%s RG" % colour)
            phase = self.rng.random() * 6
            for i in range(300):
                t = i / 299
                px = x + t * width
                py = y - height / 2 + math.sin(t * (6 + 3 * k) + phase) * height * (0.4 - 0.1 * k) * (1 - 0.5 * t)
                ops.append("%.2f %.2f %s" % (px, py, "m" if i == 0 else "l"))
            ops.append("S")
        # Shaded boxes with rounded corners, joined by arrows.
        for b in range(4):
            bx, by = x + 10 + b * width / 4, y - height - 50
            bw, bh, r = width / 4 - 24, 36, 6
            ops.append("0.85 0.9 0.95 rg 0.2 0.2 0.3 RG")
            ops.append("%.2f %.2f m %.2f %.2f l %.2f %.2f %.2f %.2f %.2f %.2f c %.2f %.2f l "
                       "%.2f %.2f %.2f %.2f %.2f %.2f c %.2f %.2f l %.2f %.2f %.2f %.2f %.2f %.2f c "
                       "%.2f %.2f l %.2f %.2f %.2f %.2f %.2f %.2f c h B"
                       % (bx + r, by, bx + bw - r, by, bx + bw, by, bx + bw, by, bx + bw, by + r, bx + bw, by + bh - r,
                          bx + bw, by + bh, bx + bw, by + bh, bx + bw - r, by + bh, bx + r, by + bh,
                          bx, by + bh, bx, by + bh, bx, by + bh - r, bx, by + r, bx, by, bx, by, bx + r, by))
            if b:
                ax = bx - 24
                ops.append("0 g %.2f %.2f m %.2f %.2f l S %.2f %.2f m %.2f %.2f l %.2f %.2f l f"
                           % (ax, by + bh / 2, bx - 2, by + bh / 2, bx - 2, by + bh / 2, bx - 8, by + bh / 2 + 3,
                              bx - 8, by + bh / 2 - 3))
        ops.append("Q")
        self.ops.append(" ".join(ops))
        for b in range(4):
            self.text(x + 18 + b * width / 4, y - height - 30, "T", 7.5, self.word()[:12])
        return y - height - 66


def picture_jpeg(seed, width=640, height=420):
    """A smooth, photograph-like picture (gradients and blobs with a little noise) as JPEG."""
    from PIL import Image
    import numpy as np

    rng = np.random.default_rng(seed)
    yy, xx = np.mgrid[0:height, 0:width].astype(np.float32)
    img = np.zeros((height, width, 3), np.float32)
    for c in range(3):
        img[..., c] = 80 + 100 * (xx / width) * rng.random() + 60 * (yy / height) * rng.random()
    for _ in range(12):
        cx, cy, r = rng.random() * width, rng.random() * height, 20 + rng.random() * 120
        blob = np.exp(-((xx - cx) ** 2 + (yy - cy) ** 2) / (2 * r * r))
        img += blob[..., None] * (rng.random(3) * 160 - 60)
    img += rng.normal(0, 6, img.shape)
    out = io.BytesIO()
    Image.fromarray(np.clip(img, 0, 255).astype(np.uint8)).save(out, "JPEG", quality=88)
    return out.getvalue()


def make_manual(path, count):
    rng = random.Random(224)
    w = PdfWriter()
    catalog, pages_ref = w.reserve(), w.reserve()
    fonts, widths = {}, {}
    for name, (kind, stem) in FONTS.items():
        fonts[name], widths[name] = add_font(w, kind, stem)
    pictures = {}
    page_refs = []
    width, height = 612, 792
    left, right, top, bottom = 90, 522, 720, 72
    for number in range(1, count + 1):
        ts = Typesetter(widths, rng)
        # Running head and foot.
        ts.text(left, 750, "I", 8.5, "Chapter %d. %s" % ((number - 1) // 12 + 1, ts.word().capitalize()))
        ts.text(right - 20, 750, "R", 8.5, str(number))
        ts.ops.append("0.4 w %d 745 m %d 745 l S" % (left, right))
        ts.text((left + right) / 2 - 8, 48, "R", 8.5, "- %d -" % number)
        y = top
        if number % 12 == 1:
            ts.text(left, y - 20, "H", 20, "%d  %s %s" % ((number - 1) // 12 + 1, ts.word().capitalize(), ts.word()))
            y -= 48
        resources = {}
        kinds = ["text", "table", "listing", "drawing"]
        while y > bottom + 60:
            if y < top - 60 and rng.random() < 0.3:
                ts.text(left, y - 2, "B", 11, "%d.%d  %s %s" % ((number - 1) // 12 + 1, number % 9 + 1,
                                                              ts.word().capitalize(), ts.word()))
                y -= 20
            kind = rng.choice(kinds) if y < top - 40 else "text"
            if kind == "table" and y > bottom + 140 and rng.random() < 0.5:
                y = ts.table(left, y, right - left, rng.randrange(5, 10), rng.randrange(4, 7))
            elif kind == "listing" and y > bottom + 120 and rng.random() < 0.7:
                y = ts.listing(left + 8, y, right - left - 16, rng.randrange(5, 9))
            elif kind == "drawing" and y > bottom + 260 and rng.random() < 0.4:
                y = ts.drawing(left + 20, y - 10, right - left - 40, 150)
                ts.text(left + 40, y, "C", 8.5, "Figure %d.%d: %s %s %s" % ((number - 1) // 12 + 1, number,
                                                                          ts.word(), ts.word(), ts.word()))
                y -= 18
            elif number % 37 == 5 and "Im" not in resources and y > bottom + 300:
                seed = number
                if seed not in pictures:
                    data = picture_jpeg(seed)
                    pictures[seed] = w.add({"Type": Name("XObject"), "Subtype": Name("Image"), "Width": 640,
                                            "Height": 420, "ColorSpace": Name("DeviceRGB"), "BitsPerComponent": 8,
                                            "Filter": Name("DCTDecode")}, data)
                resources["Im"] = pictures[seed]
                pw, ph = right - left - 60, (right - left - 60) * 420 / 640
                ts.ops.append("q %.2f 0 0 %.2f %.2f %.2f cm /Im Do Q" % (pw, ph, left + 30, y - ph - 6))
                y -= ph + 20
            else:
                lines = min(rng.randrange(3, 10), int((y - bottom) / 12.4))
                if lines < 1:
                    break
                y = ts.paragraph(left, y, right - left, lines)
        content = w.add({}, "\n".join(ts.ops).encode("latin-1"))
        page = {"Type": Name("Page"), "Parent": pages_ref, "MediaBox": [0, 0, width, height], "Contents": content,
                "Resources": {"Font": fonts, "XObject": resources} if resources else {"Font": fonts}}
        page_refs.append(w.add(page))
    w.set(pages_ref, {"Type": Name("Pages"), "Kids": page_refs, "Count": len(page_refs)})
    w.set(catalog, {"Type": Name("Catalog"), "Pages": pages_ref})
    info = w.add({"Title": "Generated manual of %d pages" % count, "Producer": "make_manual.py"})
    w.write(path, catalog, info=info)


def main(argv):
    if len(argv) == 4 and argv[1] == "--pages":
        make_manual(argv[3], int(argv[2]))
        return 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
