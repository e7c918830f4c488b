#!/usr/bin/env python3
"""make_page_list.py WORK PAGES: a page editor working folder, WORK/pages.xml with one placed item
of each kind on page 1 and a picture on the last page, and their files under WORK/files/editor
(the pictures are real PNGs). Prints the items as JSON."""

import json
import os
import struct
import sys
import zlib


def png(size=8, rgb=(255, 0, 0)):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\0" + bytes(rgb) * size for _ in range(size))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


FILES = {
    "editor/020326090507.png": png(),
    "editor/020326090508.mp4": b"\0\0\0\x18ftypmp42",  # not playable; only its place is checked
    "editor/020326090509.flv": b"FLV\x01",
    "editor/020326090510.mp3": b"ID3\x03\0\0\0\0\0\0",
    "editor/020326090511.swf": b"FWS\x06\x10\0\0\0",
    "editor/020326090512/own name.png": png(rgb=(0, 0, 255)),
}

FIRST = [
    ("Image", "editor/020326090507.png", 0.1, 0.1, 0.2, 0.15, {"title": "Red <b>square</b>"}),
    ("Video", "editor/020326090508.mp4", 0.4, 0.1, 0.3, 0.2, {"autoplay": "No", "loop": "No"}),
    ("Video", "editor/020326090509.flv", 0.1, 0.4, 0.3, 0.2, {"title": "Old movie"}),
    ("Audio", "editor/020326090510.mp3", 0.5, 0.4, 0.1, 0.06, {"autoplay": "No", "loop": "Yes"}),
    ("Swf", "editor/020326090511.swf", 0.1, 0.7, 0.3, 0.2, {"title": "Clip \"one\""}),
    ("Link", "https://example.org/placed", 0.6, 0.7, 0.3, 0.1, {"action": "web", "title": "Our <i>site</i>"}),
]
LAST = [("Image", "editor/020326090512/own name.png", 0.5, 0.5, 0.25, 0.25, {})]


def main():
    work, pages = sys.argv[1], int(sys.argv[2])
    for rel, data in FILES.items():
        path = os.path.join(work, "files", rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    placed, lines = [], ['<Pages bace="" largeWidth="1224" largeHeight="1584" width="700" height="905">']
    for n in range(1, pages + 1):
        lines.append('  <Page type="Image">')
        for name in ("thumb", "normal", "large"):
            lines.append('    <Item name="%s">page/%d.jpg</Item>' % (name, n))
        for name, href, x, y, w, h, extra in (FIRST if n == 1 else []) + (LAST if n == pages else []):
            attrs = [("name", name), ("type", "rect"), ("x", x), ("y", y), ("width", w), ("height", h), ("href", href)]
            attrs += list(extra.items())
            esc = lambda v: str(v).replace("&", "&amp;").replace("<", "&lt;").replace('"', "&quot;")
            lines.append("    <Item %s/>" % " ".join('%s="%s"' % (k, esc(v)) for k, v in attrs))
            placed.append(dict(page=n, name=name, href=href, x=x, y=y, width=w, height=h, **extra))
        lines.append("  </Page>")
    lines.append("</Pages>")
    with open(os.path.join(work, "pages.xml"), "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")
    print(json.dumps(placed))


if __name__ == "__main__":
    main()
