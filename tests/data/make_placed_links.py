#!/usr/bin/env python3
"""Writes placed-links.pdf and placed-links.json into OUTDIR: pages turned by 0, 90, 180 and
270 degrees, with and without a crop box away from the origin, each with a red box and a link
annotation over exactly the same rectangle. A link area is right when it covers the red box in
the page as rendered.

Usage: make_placed_links.py OUTDIR
"""

import json
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import make_pdfs  # noqa: E402

RED = (1.0, 0.0, 0.0)

# (media width, media height, crop box or None, rotation, link rectangle [x0 y0 x1 y1], target)
PAGES = [
    (600, 400, None, 0, [60, 250, 260, 310], "https://example.com/p1"),
    (600, 400, None, 90, [60, 250, 260, 310], "https://example.com/p2"),
    (600, 400, None, 180, [60, 250, 260, 310], 0),
    (600, 400, None, 270, [60, 250, 260, 310], "https://example.com/p4"),
    (612, 792, [100, 200, 400, 600], 0, [150, 300, 350, 340], "https://example.com/p5"),
    (612, 792, [100, 200, 400, 600], 90, [120, 480, 200, 580], "https://example.com/p6"),
    (612, 792, [100, 200, 400, 600], 180, [300, 220, 380, 260], "https://example.com/p7"),
    (612, 792, [100, 200, 400, 600], 270, [110, 210, 190, 290], 1),
]


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    outdir = argv[1]
    os.makedirs(outdir, exist_ok=True)
    pages = []
    described = []
    for number, (w, h, crop, rotate, rect, target) in enumerate(PAGES, start=1):
        page = make_pdfs.Page(w, h)
        page.crop = crop
        page.rotate = rotate
        x0, y0, x1, y1 = rect
        page.box(x0, y0, x1 - x0, y1 - y0, RED)
        kind = "uri" if isinstance(target, str) else "goto"
        page.annots.append((kind, rect, target))
        pages.append(page)
        entry = {"page": number, "rotation": rotate, "cropBox": crop or [0, 0, w, h], "rect": rect}
        entry["url" if kind == "uri" else "destPage"] = target if kind == "uri" else target + 1
        described.append(entry)
    make_pdfs.build(os.path.join(outdir, "placed-links.pdf"), pages, title="Placed links")
    with open(os.path.join(outdir, "placed-links.json"), "w") as f:
        json.dump({"links": described}, f, indent=2)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
