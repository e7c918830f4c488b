"""Draws the pictures of Leafcraft's shipped template data (style backgrounds and previews, panorama
cube faces, template icons, demonstration pages) with Pillow and numpy. Used by make_resources.py."""

import io
import math
import os
import random

import numpy as np
from PIL import Image, ImageDraw, ImageFont

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
CUBE_SIZE = 1024


def hexrgb(value):
    """'0x1f4e79' -> (31, 78, 121)."""
    v = int(value, 16)
    return ((v >> 16) & 255, (v >> 8) & 255, v & 255)


def mix(a, b, t):
    t = 0.0 if t < 0 else 1.0 if t > 1 else t
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def canvas(width, height, color=(255, 255, 255)):
    return Image.new("RGB", (width, height), color)


def font(scale, bold=False):
    """A font whose capitals are about 7*scale pixels high (the size the page layouts are made for)."""
    return ImageFont.truetype(os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf"),
                              round(9.5 * scale))


def text(c, x, y, words, scale, color, bold=False):
    ImageDraw.Draw(c).text((x, y), words, font=font(scale, bold), fill=color)


def text_width(words, scale, bold=False):
    return font(scale, bold).getlength(words)


def text_centered(c, cx, y, words, scale, color, bold=False):
    text(c, cx - text_width(words, scale, bold) / 2, y, words, scale, color, bold)


def vgradient(c, box, top, bottom):
    """Fills box (x, y, w, h) with a top-to-bottom gradient."""
    x, y, w, h = (int(v) for v in box)
    ramp = Image.linear_gradient("L").resize((1, max(1, h)))
    band = Image.composite(Image.new("RGB", (1, max(1, h)), bottom), Image.new("RGB", (1, max(1, h)), top), ramp)
    c.paste(band.resize((w, h)), (x, y))


def rect(c, x, y, w, h, color):
    ImageDraw.Draw(c).rectangle((x, y, x + w - 1, y + h - 1), fill=color)


def ellipse(c, cx, cy, rx, ry, color):
    ImageDraw.Draw(c).ellipse((cx - rx, cy - ry, cx + rx, cy + ry), fill=color)


def line(c, x0, y0, x1, y1, thickness, color):
    ImageDraw.Draw(c).line((x0, y0, x1, y1), fill=color, width=max(1, round(thickness)))


def polygon(c, points, color):
    ImageDraw.Draw(c).polygon([tuple(p) for p in points], fill=color)


def jpeg_bytes(picture, quality=82):
    out = io.BytesIO()
    picture.convert("RGB").save(out, "JPEG", quality=quality, optimize=True)
    return out.getvalue()


def png_bytes(picture):
    out = io.BytesIO()
    picture.save(out, "PNG", optimize=True)
    return out.getvalue()


def icon_canvas():
    """Icons are drawn 4 times larger on a transparent canvas and reduced, which smooths their edges."""
    return Image.new("RGBA", (256, 256), (0, 0, 0, 0))


def icon_done(c):
    return c.resize((64, 64), Image.LANCZOS)


# ---------------------------------------------------------------------------------------------
# Pictures
# ---------------------------------------------------------------------------------------------

def blend_ellipse(c, cx, cy, rx, ry, color, t):
    """Mixes color into the pixels of an ellipse with weight t (a translucent disc)."""
    mask = Image.new("L", c.size, 0)
    ImageDraw.Draw(mask).ellipse((cx - rx, cy - ry, cx + rx, cy + ry), fill=int(255 * t))
    c.paste(Image.new("RGB", c.size, color), (0, 0), mask)


def hills(c, horizon, amp, freqs, phase, color):
    """A ridge of hills: every column is filled from its ridge height down to the bottom."""
    w, h = c.size
    points = [(0, h)]
    for x in range(w + 1):
        a = x / w * 2 * math.pi
        points.append((x, horizon - sum(amp * math.sin(f * a + phase + i) / (i + 1) for i, f in enumerate(freqs))))
    points.append((w, h))
    polygon(c, points, color)


def linen_tile(size, base, seed):
    """A seamless woven-linen texture: threads of varying shade in both directions."""
    rnd = random.Random(seed)
    rows = np.array([rnd.uniform(-1, 1) for _ in range(size)])
    cols = np.array([rnd.uniform(-1, 1) for _ in range(size)])
    for _ in range(size // 12):  # slubs: a few thicker threads
        rows[rnd.randrange(size)] += rnd.choice((-2, 2))
        cols[rnd.randrange(size)] += rnd.choice((-2, 2))
    y, x = np.mgrid[0:size, 0:size]
    weave = np.where((x + y) % 2 == 1, rows[y], cols[x]) * 3.5
    noise = np.random.default_rng(seed).uniform(-2, 2, (size, size))
    shade = (weave + noise)[..., None] + np.array(base, dtype=float)
    return Image.fromarray(np.clip(shade, 0, 255).astype(np.uint8), "RGB")


def book_on(c, cx, cy, page_w, page_h, accent, paper=(252, 250, 244)):
    """An open book seen from the front, with a shadow, text lines and a picture on the right page."""
    x0, top = cx - page_w, cy - page_h // 2
    rect(c, x0 + 4, top + 5, page_w * 2, page_h, (40, 40, 40))
    rect(c, x0, top, page_w * 2, page_h, paper)
    rect(c, cx - 1, top, 2, page_h, mix(paper, (0, 0, 0), 0.25))
    ink = mix(paper, (0, 0, 0), 0.35)
    for i in range(8):
        rect(c, x0 + 8, top + 10 + i * (page_h - 20) // 9, page_w - 16 - (i % 3) * 6, 2, ink)
    rect(c, cx + 8, top + 10, page_w - 16, page_h // 3, accent)
    for i in range(4):
        rect(c, cx + 8, top + 16 + page_h // 3 + i * (page_h // 2 - 10) // 5, page_w - 16 - (i % 2) * 8, 2, ink)


def shot(background, style):
    """The 240x180 preview of a style: its background, an open book and its tool bar colour."""
    c = background
    book_on(c, 120, 82, 62, 96, hexrgb(style.get("GradientStartColor", "0x808080")))
    bar = hexrgb(style["BaseColor"])
    rect(c, 0, 156, 240, 24, bar)
    for i in range(7):
        rect(c, 66 + i * 16, 164, 8, 8, mix(bar, (255, 255, 255), 0.75))
    return c


def fill_background(c, style, picture):
    if picture is not None and style.get("BgType") == "Image":
        if style.get("ImgPosition") == "Tile":
            for y in range(0, c.height, picture.height):
                for x in range(0, c.width, picture.width):
                    c.paste(picture, (x, y))
        else:
            c.paste(picture.resize(c.size, Image.LANCZOS))
    elif style.get("BackgroundType") == "Color":
        rect(c, 0, 0, c.width, c.height, hexrgb(style["Color"]))
    else:
        vgradient(c, (0, 0, c.width, c.height), hexrgb(style["GradientStartColor"]), hexrgb(style["GradientEndColor"]))
    return c


# --- float ------------------------------------------------------------------------------------

def float_bg(kind, w=640, h=400):
    c = canvas(w, h)
    if kind == "Blue":
        vgradient(c, (0, 0, w, h), (111, 168, 220), (28, 69, 135))
        rnd = random.Random(7)
        for _ in range(14):
            r = rnd.randint(20, 70)
            blend_ellipse(c, rnd.randint(0, w), rnd.randint(0, h), r, r, (255, 255, 255), rnd.uniform(0.06, 0.16))
    elif kind == "Sunset":
        vgradient(c, (0, 0, w, h * 2 // 3), (88, 45, 110), (255, 170, 80))
        vgradient(c, (0, h * 2 // 3, w, h - h * 2 // 3), (255, 170, 80), (190, 80, 50))
        ellipse(c, w * 0.7, h * 0.62, 46, 46, (255, 226, 150))
        hills(c, h * 0.72, 18, (2, 5), 0.3, (120, 50, 60))
        hills(c, h * 0.85, 14, (3, 7), 1.9, (70, 30, 45))
    elif kind == "Forest":
        vgradient(c, (0, 0, w, h), (214, 236, 210), (150, 200, 150))
        hills(c, h * 0.62, 26, (2, 3), 0.5, (120, 170, 115))
        hills(c, h * 0.78, 20, (3, 5), 2.0, (72, 128, 78))
        rnd = random.Random(11)
        for _ in range(26):
            x, y, s = rnd.randint(0, w), rnd.randint(int(h * 0.74), h), rnd.randint(14, 30)
            polygon(c, [(x, y - 2.4 * s), (x + s * 0.7, y), (x - s * 0.7, y)], (40, 92, 52))
        hills(c, h * 0.97, 8, (4, 9), 0.1, (47, 107, 58))
    return c


# --- Panoramic --------------------------------------------------------------------------------

# The viewing direction through point (a, b) of a face, a and b running -1..1 left to right and top
# to bottom: the face's centre direction plus a times its right and b times its down vector.
CUBE_FACES = {
    'f': ((0, 0, 1), (1, 0, 0), (0, -1, 0)),
    'r': ((1, 0, 0), (0, 0, -1), (0, -1, 0)),
    'b': ((0, 0, -1), (-1, 0, 0), (0, -1, 0)),
    'l': ((-1, 0, 0), (0, 0, 1), (0, -1, 0)),
    'u': ((0, 1, 0), (1, 0, 0), (0, 0, 1)),
    'd': ((0, -1, 0), (1, 0, 0), (0, 0, -1)),
}


def _lerp(a, b, t):
    t = np.clip(t, 0, 1)[..., None]
    return np.array(a, float) + (np.array(b, float) - np.array(a, float)) * t


def cube_face(face, look, size=CUBE_SIZE):
    """One face of a panorama cube. Colour is a function of the viewing direction alone (sky,
    sun, hills, ground and stars), so neighbouring faces agree along their shared edges."""
    centre, right, down = (np.array(v, float) for v in CUBE_FACES[face])
    t = (2 * np.arange(size) + 1) / size - 1
    a, b = np.meshgrid(t, t)
    d = centre + a[..., None] * right + b[..., None] * down
    d /= np.linalg.norm(d, axis=-1, keepdims=True)
    dx, dy, dz = d[..., 0], d[..., 1], d[..., 2]
    el = np.arctan2(dy, np.hypot(dx, dz))
    az = np.arctan2(dx, dz)
    ridge = look['hill'] * (0.6 + 0.25 * np.sin(3 * az + 0.5) + 0.15 * np.sin(8 * az + 2.0))
    sky = _lerp(look['horizon'], look['zenith'], np.clip(el / (math.pi / 2), 0, 1) ** 0.6)
    if look.get('sun'):
        saz, sel = look['sun']
        sun = np.array((math.cos(sel) * math.sin(saz), math.sin(sel), math.cos(sel) * math.cos(saz)))
        near = d @ sun
        glow = np.where(near > 0.96, np.clip((near - 0.96) / 0.0385, 0, 1) ** 2 * 0.7, 0)
        sky += (np.array(look['sun_color'], float) - sky) * glow[..., None]
        sky[near > 0.9985] = look['sun_color']
    if look.get('stars'):
        rnd = random.Random(look['seed'])
        pixel = 2.0 / size
        for _ in range(400):
            z, phi = rnd.uniform(math.sin(look['hill'] + 0.05), 1), rnd.uniform(0, 2 * math.pi)
            star = np.array((math.sqrt(1 - z * z) * math.sin(phi), z, math.sqrt(1 - z * z) * math.cos(phi)))
            radius = pixel * rnd.choice((0.8, 0.8, 1.4))
            sky[(d @ star) > math.cos(radius)] = (255, 255, 235)
    hill = _lerp(look['hill_far'], look['hill_near'], 1 - el / ridge)
    ground = _lerp(look['ground_far'], look['ground_near'], np.clip(-el / (math.pi / 2), 0, 1) ** 0.5)
    colour = np.where((el < 0)[..., None], ground, np.where((el < ridge)[..., None], hill, sky))
    return Image.fromarray(np.round(colour).astype(np.uint8), "RGB")


PANORAMA_LOOKS = {
    "Sky": dict(seed=1, zenith=(52, 110, 190), horizon=(190, 220, 245), hill=0.09, hill_far=(120, 150, 130),
                hill_near=(80, 125, 80), ground_far=(110, 150, 85), ground_near=(70, 110, 55),
                sun=(0.6, 0.75), sun_color=(255, 250, 220)),
    "Dusk": dict(seed=2, zenith=(45, 40, 100), horizon=(250, 160, 90), hill=0.07, hill_far=(110, 70, 90),
                 hill_near=(60, 40, 60), ground_far=(80, 55, 60), ground_near=(40, 30, 40),
                 sun=(3.3, 0.05), sun_color=(255, 215, 140)),
    "Night": dict(seed=3, zenith=(8, 12, 35), horizon=(35, 50, 90), hill=0.08, hill_far=(25, 30, 50),
                  hill_near=(15, 18, 30), ground_far=(22, 26, 38), ground_near=(10, 12, 18),
                  sun=(-1.2, 0.5), sun_color=(240, 240, 225), stars=True),
}


# --- icons ------------------------------------------------------------------------------------

def icon_float():
    c = icon_canvas()
    ellipse(c, 128, 222, 92, 14, (150, 156, 172, 255))              # shadow under the floating book
    polygon(c, [(28, 70), (124, 92), (124, 196), (28, 174)], (31, 78, 121, 255))
    polygon(c, [(132, 92), (228, 70), (228, 174), (132, 196)], (31, 78, 121, 255))
    polygon(c, [(36, 62), (124, 84), (124, 186), (36, 164)], (250, 250, 246, 255))
    polygon(c, [(132, 84), (220, 62), (220, 164), (132, 186)], (236, 242, 250, 255))
    for i in range(5):
        y = 92 + i * 16
        line(c, 50, y, 112, y + 15, 5, (111, 168, 220, 255))
        line(c, 144, y + 15, 206, y, 5, (111, 168, 220, 255))
    return icon_done(c)


def icon_panoramic():
    c = icon_canvas()
    polygon(c, [(128, 24), (228, 74), (128, 124), (28, 74)], (150, 200, 245, 255))
    polygon(c, [(28, 74), (128, 124), (128, 236), (28, 186)], (70, 130, 200, 255))
    polygon(c, [(128, 124), (228, 74), (228, 186), (128, 236)], (52, 110, 190, 255))
    polygon(c, [(28, 150), (128, 200), (128, 236), (28, 186)], (80, 125, 80, 255))
    polygon(c, [(128, 200), (228, 150), (228, 186), (128, 236)], (70, 110, 55, 255))
    ellipse(c, 170, 74, 18, 18, (255, 240, 190, 255))
    return icon_done(c)


def icon_linen():
    c = icon_canvas()
    rect(c, 46, 30, 172, 212, (170, 160, 140, 255))
    rect(c, 40, 28, 168, 168, (0, 0, 0, 255))
    c.paste(linen_tile(168, (233, 225, 208), 5).resize((168, 208), Image.LANCZOS), (40, 22))
    for i in range(6):
        rect(c, 62, 60 + i * 24, 124 - (i % 2) * 30, 8, (122, 106, 83, 255))
    polygon(c, [(168, 22), (208, 22), (208, 62)], (205, 195, 175, 255))
    return icon_done(c)


# --- demonstration pages ----------------------------------------------------------------------

PAGE_W, PAGE_H = 540, 720
INK = (44, 44, 52)
PAPER = (252, 250, 244)
GREEN = (46, 110, 70)


def paragraph(c, x, y, words, scale, color, width_px):
    """Writes words wrapped to width_px; returns the y below the last line."""
    lines, current = [], ""
    for word in words.split():
        candidate = (current + " " + word).strip()
        if current and text_width(candidate, scale) > width_px:
            lines.append(current)
            current = word
        else:
            current = candidate
    for row in lines + ([current] if current else []):
        text(c, x, y, row, scale, color)
        y += 11 * scale
    return y


def leaf(c, cx, cy, size, color, vein):
    pts = [(cx + size * math.sin(i / 40 * math.pi) * 0.5, cy - size * math.cos(i / 40 * math.pi)) for i in range(41)]
    pts += [(cx - size * math.sin(i / 40 * math.pi) * 0.5, cy + size * math.cos(i / 40 * math.pi)) for i in range(41)]
    polygon(c, pts, color)
    line(c, cx, cy - size * 0.9, cx, cy + size * 1.25, max(2, size // 18), vein)
    for k in range(-3, 4):
        y = cy + k * size * 0.22
        line(c, cx, y, cx + size * 0.32, y - size * 0.2, max(2, size // 28), vein)
        line(c, cx, y, cx - size * 0.32, y - size * 0.2, max(2, size // 28), vein)


def page_frame(number, heading):
    c = canvas(PAGE_W, PAGE_H, PAPER)
    rect(c, 40, 40, PAGE_W - 80, 4, GREEN)
    text(c, 40, 60, heading, 4, GREEN, bold=True)
    rect(c, 40, PAGE_H - 60, PAGE_W - 80, 2, (200, 196, 186))
    text(c, 40, PAGE_H - 46, "Leafcraft demo book", 2, (150, 146, 136))
    text(c, PAGE_W - 40 - text_width(str(number), 3), PAGE_H - 50, str(number), 3, INK)
    return c


def cover(top, bottom, leaf_y, leaf_size, title, title_scale, subtitle, number):
    c = canvas(PAGE_W, PAGE_H)
    vgradient(c, (0, 0, PAGE_W, PAGE_H), top, bottom)
    leaf(c, 270, leaf_y, leaf_size, (120, 190, 110), top)
    text_centered(c, 270, 430 if number == 1 else 420, title, title_scale, (250, 248, 236), bold=True)
    if subtitle:
        text_centered(c, 270, 520, subtitle, 3, (200, 230, 200))
    text_centered(c, 270, PAGE_H - 70, str(number), 3, (200, 230, 200))
    return c


def demo_pages():
    width = PAGE_W - 80
    pages = [cover((36, 92, 60), (16, 52, 34), 250, 130, "Leafcraft", 8, "A demonstration book", 1)]

    c = page_frame(2, "Welcome")
    y = paragraph(c, 40, 120, "This little book shows how your own pages will look once Leafcraft has "
                  "turned a PDF into a page-flipping book.", 2, INK, width)
    y = paragraph(c, 40, y + 20, "Import a PDF with the Import button, choose a template and a style, "
                  "change colours, texts and pictures on the left, and publish the book as a folder that "
                  "opens in any web browser.", 2, INK, width)
    for i, col in enumerate(((46, 110, 70), (111, 168, 220), (230, 160, 70))):
        ellipse(c, 130 + i * 140, y + 110, 50, 50, col)
        text_centered(c, 130 + i * 140, y + 180, ("Import", "Design", "Publish")[i], 2, INK)
    pages.append(c)

    c = page_frame(3, "Turning pages")
    y = paragraph(c, 40, 120, "Drag a page corner, click the edge of a page, or use the arrow keys. "
                  "The tool bar below the book has buttons for zoom, thumbnails, full screen and more.",
                  2, INK, width)
    rect(c, 120, y + 40, 300, 360, (236, 232, 222))
    polygon(c, [(420, y + 300), (420, y + 400), (320, y + 400)], (210, 204, 190))
    polygon(c, [(420, y + 300), (320, y + 400), (340, y + 310)], (250, 248, 240))
    line(c, 340, y + 310, 420, y + 300, 2, (180, 174, 160))
    line(c, 340, y + 310, 320, y + 400, 2, (180, 174, 160))
    for i in range(8):
        rect(c, 150, y + 70 + i * 28, 220 - (i % 3) * 40, 6, (190, 186, 176))
    pages.append(c)

    c = page_frame(4, "Pictures")
    paragraph(c, 40, 120, "Pages keep their pictures and colours. Zoom in to see the details.", 2, INK, width)
    view = canvas(width, 300)
    vgradient(view, (0, 0, width, 300), (150, 200, 240), (230, 242, 250))
    ellipse(view, 330, 80, 36, 36, (255, 236, 160))
    hills(view, 230, 24, (2, 3), 0.4, (120, 170, 110))
    hills(view, 270, 16, (3, 5), 1.7, (70, 130, 80))
    c.paste(view, (40, 180))
    for x, col, vein in ((120, (120, 190, 110), GREEN), (270, (230, 160, 70), (160, 100, 40)),
                         (420, (200, 90, 70), (140, 50, 40))):
        leaf(c, x, 560, 60, col, vein)
    pages.append(c)

    c = page_frame(5, "Facts and figures")
    paragraph(c, 40, 120, "Charts and tables stay sharp: vector pages are kept as vectors.", 2, INK, width)
    base = 560
    rect(c, 70, 200, 3, base - 200, INK)
    rect(c, 70, base, 420, 3, INK)
    for i, v in enumerate((120, 200, 160, 280, 240, 320)):
        rect(c, 95 + i * 64, base - v, 44, v, mix((111, 168, 220), GREEN, i / 5))
        text_centered(c, 117 + i * 64, base + 14, str(2019 + i), 2, INK)
    pages.append(c)

    c = page_frame(6, "Templates")
    y = paragraph(c, 40, 120, "Each template has its own look; each style gives it new colours and "
                  "pictures. Three templates come with Leafcraft:", 2, INK, width)
    for i, (name, col) in enumerate((("float", (31, 78, 121)), ("Panoramic", (52, 110, 190)),
                                     ("Linen", (122, 106, 83)))):
        top = y + 30 + i * 130
        rect(c, 40, top, 110, 100, col)
        rect(c, 52, top + 12, 86, 76, mix(col, (255, 255, 255), 0.6))
        text(c, 170, top + 38, name, 3, INK)
    pages.append(c)

    c = page_frame(7, "On the go")
    y = paragraph(c, 40, 120, "A mobile version can be published beside the book, for phones and tablets "
                  "without Flash.", 2, INK, width)
    rect(c, 180, y + 40, 180, 340, (40, 40, 48))
    rect(c, 192, y + 70, 156, 280, (236, 242, 250))
    ellipse(c, 270, y + 362, 9, 9, (90, 90, 100))
    for x in (204, 274):
        rect(c, x, y + 86, 62, 84, (255, 255, 255))
        for i in range(5):
            rect(c, x + 6, y + 96 + i * 14, 48, 4, (190, 186, 176))
    pages.append(c)

    pages.append(cover((16, 52, 34), (36, 92, 60), 300, 70, "Made with Leafcraft", 3, None, 8))
    return pages
