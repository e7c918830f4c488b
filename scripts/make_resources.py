#!/usr/bin/env python3
"""Generates Leafcraft's shipped template data under resources/AppFiles.

Everything in the template catalogue that is not program code is drawn or written here, with the
Python standard library only, so the committed files can always be rebuilt from this script:

  Templates/<template>/flashTemplate.xml   the typed property tree a user edits
  Templates/<template>/icon.png            64x64 icon of the template list
  Styles/<template>/<style>/tmplSetting.txt the style's preset values (key=value lines)
  Styles/<template>/<style>/shot.jpg       240x180 preview picture of the style
  Styles/<template>/<style>/bg.jpg         background picture (styles that use one)
  Styles/Panoramic/<style>/{b,d,f,l,r,u}.jpg the six faces of the panorama cube
  DemoImgs_standard/large/NN.jpg           the demonstration book shown at start-up
  TmplData/                                 (folder only; the player files are added elsewhere)

Usage: scripts/make_resources.py [--out APPFILES_FOLDER] [PART ...]
       (default: everything, into resources/AppFiles of this checkout; a PART is a template name or "demo")

The output is deterministic: the same script writes byte-identical files.

Values the book players interpret (the descriptions in the property trees say the same to the user):
  BackgroundType  "GradientColor" | "Color" | "Image" (the picture of ImagePath over Color)
  BgType          "Image" publishes the ImagePath file with the book, "None" leaves it out
  ImgPosition     "Fill" | "Fit" | "Stretch" | "Center" | "Tile"
  GradientAngle   degrees; 90 runs top to bottom, 0 left to right
  loop            extra auto-flip rounds after the last page; 0 stops there, -1 repeats for ever
  TiltAngle       "Show" | "Hide": the tilt button (the key also feeds the configuration's TiltAngle
                  element, which the player reads as a number and so leaves at its default angle)
  direction       "Right" (left-to-right books) | "Left" (right-to-left books), mobile version only
Switches are "pt_list" properties offering exactly "Yes,No" or "Show,Hide": the book writers compare
with those words, and a "pt_bool" check box would store "YES"/"NO" instead.
Style and template folders are kept flat (no sub-folders) because the catalogue lists every nested
folder below the style root as a style of its own.
"""

import math
import os
import random
import struct
import sys
import zlib
from xml.sax.saxutils import escape

# ---------------------------------------------------------------------------------------------
# Tiny 5x7 bitmap font (rows 8 and 9 of g, j, p, q, y and the comma hang below the baseline)
# ---------------------------------------------------------------------------------------------

_GLYPHS = {
    'A': ".###. #...# #...# ##### #...# #...# #...#",
    'B': "####. #...# #...# ####. #...# #...# ####.",
    'C': ".###. #...# #.... #.... #.... #...# .###.",
    'D': "####. #...# #...# #...# #...# #...# ####.",
    'E': "##### #.... #.... ####. #.... #.... #####",
    'F': "##### #.... #.... ####. #.... #.... #....",
    'G': ".###. #...# #.... #.### #...# #...# .####",
    'H': "#...# #...# #...# ##### #...# #...# #...#",
    'I': ".###. ..#.. ..#.. ..#.. ..#.. ..#.. .###.",
    'J': "..### ...#. ...#. ...#. ...#. #..#. .##..",
    'K': "#...# #..#. #.#.. ##... #.#.. #..#. #...#",
    'L': "#.... #.... #.... #.... #.... #.... #####",
    'M': "#...# ##.## #.#.# #.#.# #...# #...# #...#",
    'N': "#...# #...# ##..# #.#.# #..## #...# #...#",
    'O': ".###. #...# #...# #...# #...# #...# .###.",
    'P': "####. #...# #...# ####. #.... #.... #....",
    'Q': ".###. #...# #...# #...# #.#.# #..#. .##.#",
    'R': "####. #...# #...# ####. #.#.. #..#. #...#",
    'S': ".#### #.... #.... .###. ....# ....# ####.",
    'T': "##### ..#.. ..#.. ..#.. ..#.. ..#.. ..#..",
    'U': "#...# #...# #...# #...# #...# #...# .###.",
    'V': "#...# #...# #...# #...# #...# .#.#. ..#..",
    'W': "#...# #...# #...# #.#.# #.#.# #.#.# .#.#.",
    'X': "#...# #...# .#.#. ..#.. .#.#. #...# #...#",
    'Y': "#...# #...# .#.#. ..#.. ..#.. ..#.. ..#..",
    'Z': "##### ....# ...#. ..#.. .#... #.... #####",
    'a': "..... ..... .###. ....# .#### #...# .####",
    'b': "#.... #.... #.##. ##..# #...# #...# ####.",
    'c': "..... ..... .###. #.... #.... #...# .###.",
    'd': "....# ....# .##.# #..## #...# #...# .####",
    'e': "..... ..... .###. #...# ##### #.... .###.",
    'f': "..##. .#..# .#... ###.. .#... .#... .#...",
    'g': "..... ..... .#### #...# #...# #...# .#### ....# .###.",
    'h': "#.... #.... #.##. ##..# #...# #...# #...#",
    'i': "..#.. ..... .##.. ..#.. ..#.. ..#.. .###.",
    'j': "...#. ..... ..##. ...#. ...#. ...#. ...#. #..#. .##..",
    'k': "#.... #.... #..#. #.#.. ##... #.#.. #..#.",
    'l': ".##.. ..#.. ..#.. ..#.. ..#.. ..#.. .###.",
    'm': "..... ..... ##.#. #.#.# #.#.# #...# #...#",
    'n': "..... ..... #.##. ##..# #...# #...# #...#",
    'o': "..... ..... .###. #...# #...# #...# .###.",
    'p': "..... ..... ####. #...# #...# #...# ####. #.... #....",
    'q': "..... ..... .#### #...# #...# #...# .#### ....# ....#",
    'r': "..... ..... #.##. ##..# #.... #.... #....",
    's': "..... ..... .###. #.... .###. ....# ####.",
    't': ".#... .#... ###.. .#... .#... .#..# ..##.",
    'u': "..... ..... #...# #...# #...# #..## .##.#",
    'v': "..... ..... #...# #...# #...# .#.#. ..#..",
    'w': "..... ..... #...# #...# #.#.# #.#.# .#.#.",
    'x': "..... ..... #...# .#.#. ..#.. .#.#. #...#",
    'y': "..... ..... #...# #...# #...# #...# .#### ....# .###.",
    'z': "..... ..... ##### ...#. ..#.. .#... #####",
    '0': ".###. #...# #..## #.#.# ##..# #...# .###.",
    '1': "..#.. .##.. ..#.. ..#.. ..#.. ..#.. .###.",
    '2': ".###. #...# ....# ...#. ..#.. .#... #####",
    '3': "##### ...#. ..#.. ...#. ....# #...# .###.",
    '4': "...#. ..##. .#.#. #..#. ##### ...#. ...#.",
    '5': "##### #.... ####. ....# ....# #...# .###.",
    '6': "..##. .#... #.... ####. #...# #...# .###.",
    '7': "##### ....# ...#. ..#.. .#... .#... .#...",
    '8': ".###. #...# #...# .###. #...# #...# .###.",
    '9': ".###. #...# #...# .#### ....# ...#. .##..",
    '.': "..... ..... ..... ..... ..... .##.. .##..",
    ',': "..... ..... ..... ..... ..... .##.. .##.. ..#.. .#...",
    ':': "..... .##.. .##.. ..... .##.. .##.. .....",
    ';': "..... .##.. .##.. ..... .##.. .##.. ..#.. .#...",
    '!': "..#.. ..#.. ..#.. ..#.. ..#.. ..... ..#..",
    '?': ".###. #...# ....# ...#. ..#.. ..... ..#..",
    '-': "..... ..... ..... ##### ..... ..... .....",
    "'": "..#.. ..#.. .#... ..... ..... ..... .....",
    '"': ".#.#. .#.#. ..... ..... ..... ..... .....",
    '(': "...#. ..#.. .#... .#... .#... ..#.. ...#.",
    ')': ".#... ..#.. ...#. ...#. ...#. ..#.. .#...",
    '/': "..... ....# ...#. ..#.. .#... #.... .....",
    '&': ".##.. #..#. #.#.. .#... #.#.# #..#. .##.#",
    '+': "..... ..#.. ..#.. ##### ..#.. ..#.. .....",
    '=': "..... ..... ##### ..... ##### ..... .....",
    '#': ".#.#. .#.#. ##### .#.#. ##### .#.#. .#.#.",
    ' ': "..... ..... ..... ..... ..... ..... .....",
}
FONT = {ch: [row for row in rows.split()] for ch, rows in _GLYPHS.items()}


def text_width(text, scale):
    """Width in pixels of a text line drawn with draw_text at the given scale."""
    return max(0, len(text) * 6 * scale - scale)


# ---------------------------------------------------------------------------------------------
# Canvas: an RGB picture with an optional alpha plane and a few filled shapes
# ---------------------------------------------------------------------------------------------

def hexrgb(value):
    """'0x1f4e79' -> (31, 78, 121)."""
    v = int(value, 16)
    return ((v >> 16) & 255, (v >> 8) & 255, v & 255)


def mix(a, b, t):
    t = 0.0 if t < 0 else 1.0 if t > 1 else t
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


class Canvas:
    def __init__(self, width, height, color=(255, 255, 255), alpha=None):
        self.w = width
        self.h = height
        self.px = bytearray(bytes(color) * (width * height))
        # alpha plane only for pictures that become RGBA PNGs
        self.alpha = None if alpha is None else bytearray([alpha]) * (width * height)

    def span(self, y, x0, x1, color):
        """Fills pixels x0 <= x < x1 of row y (clipped)."""
        if y < 0 or y >= self.h:
            return
        x0 = max(0, int(x0))
        x1 = min(self.w, int(x1))
        if x1 <= x0:
            return
        i = y * self.w
        self.px[(i + x0) * 3:(i + x1) * 3] = bytes(color) * (x1 - x0)
        if self.alpha is not None:
            self.alpha[i + x0:i + x1] = b'\xff' * (x1 - x0)

    def rect(self, x, y, w, h, color):
        for yy in range(max(0, int(y)), min(self.h, int(y + h))):
            self.span(yy, x, x + w, color)

    def vgradient(self, x, y, w, h, top, bottom):
        h = int(h)
        for i in range(h):
            self.span(int(y) + i, x, x + w, mix(top, bottom, i / max(1, h - 1)))

    def hgradient(self, x, y, w, h, left, right):
        w = int(w)
        for i in range(w):
            c = mix(left, right, i / max(1, w - 1))
            for yy in range(max(0, int(y)), min(self.h, int(y + h))):
                self.span(yy, x + i, x + i + 1, c)

    def ellipse(self, cx, cy, rx, ry, color):
        for yy in range(int(cy - ry), int(cy + ry) + 1):
            d = (yy + 0.5 - cy) / ry
            if abs(d) > 1:
                continue
            half = rx * math.sqrt(1 - d * d)
            self.span(yy, round(cx - half), round(cx + half), color)

    def circle(self, cx, cy, r, color):
        self.ellipse(cx, cy, r, r, color)

    def ring(self, cx, cy, r, thickness, color, inner_color):
        self.circle(cx, cy, r, color)
        self.circle(cx, cy, r - thickness, inner_color)

    def polygon(self, points, color):
        """Even-odd scan-line fill sampled at pixel centres."""
        ys = [p[1] for p in points]
        n = len(points)
        for yy in range(max(0, int(min(ys))), min(self.h, int(max(ys)) + 1)):
            yc = yy + 0.5
            xs = []
            for i in range(n):
                x0, y0 = points[i]
                x1, y1 = points[(i + 1) % n]
                if (y0 <= yc < y1) or (y1 <= yc < y0):
                    xs.append(x0 + (yc - y0) * (x1 - x0) / (y1 - y0))
            xs.sort()
            for j in range(0, len(xs) - 1, 2):
                self.span(yy, round(xs[j]), round(xs[j + 1]), color)

    def line(self, x0, y0, x1, y1, thickness, color):
        dx, dy = x1 - x0, y1 - y0
        length = math.hypot(dx, dy) or 1.0
        nx, ny = -dy / length * thickness / 2, dx / length * thickness / 2
        self.polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)], color)

    def text(self, x, y, text, scale, color):
        cx = int(x)
        for ch in text:
            glyph = FONT[ch]  # an unknown character is a mistake in this script, not a '?'
            for row, bits in enumerate(glyph):
                for col, bit in enumerate(bits):
                    if bit == '#':
                        self.rect(cx + col * scale, y + row * scale, scale, scale, color)
            cx += 6 * scale

    def text_centered(self, cx, y, text, scale, color):
        self.text(cx - text_width(text, scale) // 2, y, text, scale, color)

    def blit(self, other, x, y):
        for yy in range(other.h):
            ty = y + yy
            if ty < 0 or ty >= self.h:
                continue
            x0 = max(0, x)
            x1 = min(self.w, x + other.w)
            if x1 <= x0:
                continue
            src = (yy * other.w + (x0 - x)) * 3
            dst = (ty * self.w + x0) * 3
            self.px[dst:dst + (x1 - x0) * 3] = other.px[src:src + (x1 - x0) * 3]

    def scaled(self, width, height):
        """Nearest-neighbour resize with 2x2 supersampling (box average)."""
        out = Canvas(width, height)
        for y in range(height):
            for x in range(width):
                acc = [0, 0, 0]
                for sy in (0.25, 0.75):
                    for sx in (0.25, 0.75):
                        ix = min(self.w - 1, int((x + sx) * self.w / width))
                        iy = min(self.h - 1, int((y + sy) * self.h / height))
                        i = (iy * self.w + ix) * 3
                        acc[0] += self.px[i]
                        acc[1] += self.px[i + 1]
                        acc[2] += self.px[i + 2]
                j = (y * width + x) * 3
                out.px[j:j + 3] = bytes((acc[0] // 4, acc[1] // 4, acc[2] // 4))
        return out

    def downsampled(self, factor):
        """Box-filter reduction by an integer factor; keeps the alpha plane (premultiplied average)."""
        w, h = self.w // factor, self.h // factor
        out = Canvas(w, h, alpha=0 if self.alpha is not None else None)
        n = factor * factor
        for y in range(h):
            for x in range(w):
                r = g = b = a = 0
                for sy in range(factor):
                    base = (y * factor + sy) * self.w + x * factor
                    for sx in range(factor):
                        i = base + sx
                        al = self.alpha[i] if self.alpha is not None else 255
                        r += self.px[i * 3] * al
                        g += self.px[i * 3 + 1] * al
                        b += self.px[i * 3 + 2] * al
                        a += al
                j = y * w + x
                if a:
                    out.px[j * 3:j * 3 + 3] = bytes((r // a, g // a, b // a))
                if out.alpha is not None:
                    out.alpha[j] = a // n
        return out


# ---------------------------------------------------------------------------------------------
# PNG writer (RGBA, zlib)
# ---------------------------------------------------------------------------------------------

def png_bytes(canvas):
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)

    raw = bytearray()
    for y in range(canvas.h):
        raw.append(0)
        for x in range(canvas.w):
            i = y * canvas.w + x
            raw += canvas.px[i * 3:i * 3 + 3]
            raw.append(canvas.alpha[i] if canvas.alpha is not None else 255)
    ihdr = struct.pack('>IIBBBBB', canvas.w, canvas.h, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + chunk(b'IDAT', zlib.compress(bytes(raw), 9))
            + chunk(b'IEND', b''))


# ---------------------------------------------------------------------------------------------
# Baseline JPEG encoder (YCbCr 4:2:0, per-picture optimal Huffman tables)
# ---------------------------------------------------------------------------------------------

ZIGZAG = [0, 1, 8, 16, 9, 2, 3, 10, 17, 24, 32, 25, 18, 11, 4, 5, 12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,
          7, 14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51, 58, 59, 52, 45, 38, 31,
          39, 46, 53, 60, 61, 54, 47, 55, 62, 63]
LUMA_Q = [16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55, 14, 13, 16, 24, 40, 57, 69, 56,
          14, 17, 22, 29, 51, 87, 80, 62, 18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55, 64, 81, 104, 113, 92,
          49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99]
CHROMA_Q = [17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99, 99, 99,
            47, 66, 99, 99, 99, 99, 99, 99] + [99] * 32
_DCT = [[(math.sqrt(0.5) if u == 0 else 1.0) * 0.5 * math.cos((2 * x + 1) * u * math.pi / 16) for x in range(8)]
        for u in range(8)]


def _scaled_table(base, quality):
    scale = 5000 / quality if quality < 50 else 200 - 2 * quality
    return [min(255, max(1, int((q * scale + 50) // 100))) for q in base]


def _fdct_quantize(block, qtable):
    """block: 64 level-shifted samples (row-major). Returns 64 quantized coefficients in zig-zag order."""
    first = block[0]
    if all(v == first for v in block):
        out = [0] * 64
        out[0] = int(round(8 * first / qtable[0]))
        return out
    d = _DCT
    tmp = [0.0] * 64
    for y in range(8):
        row = block[y * 8:y * 8 + 8]
        r0, r1, r2, r3, r4, r5, r6, r7 = row
        for u in range(8):
            c = d[u]
            tmp[y * 8 + u] = (c[0] * r0 + c[1] * r1 + c[2] * r2 + c[3] * r3 + c[4] * r4 + c[5] * r5 + c[6] * r6
                              + c[7] * r7)
    coef = [0] * 64
    for u in range(8):
        col = [tmp[y * 8 + u] for y in range(8)]
        c0, c1, c2, c3, c4, c5, c6, c7 = col
        for v in range(8):
            c = d[v]
            val = c[0] * c0 + c[1] * c1 + c[2] * c2 + c[3] * c3 + c[4] * c4 + c[5] * c5 + c[6] * c6 + c[7] * c7
            coef[v * 8 + u] = val
    return [int(round(coef[z] / qtable[z])) for z in ZIGZAG]


def _category(v):
    v = abs(v)
    n = 0
    while v:
        n += 1
        v >>= 1
    return n


def _optimal_huffman(freq):
    """Code lengths limited to 16 bits from symbol counts; returns (bits[1..16], values)."""
    freq = list(freq) + [1]  # reserved symbol 256 keeps any code from being all ones
    codesize = [0] * 257
    others = [-1] * 257
    while True:
        c1 = -1
        v = None
        for i in range(257):
            if freq[i] and (v is None or freq[i] <= v):
                v, c1 = freq[i], i
        c2 = -1
        v = None
        for i in range(257):
            if freq[i] and i != c1 and (v is None or freq[i] <= v):
                v, c2 = freq[i], i
        if c2 < 0:
            break
        freq[c1] += freq[c2]
        freq[c2] = 0
        codesize[c1] += 1
        while others[c1] >= 0:
            c1 = others[c1]
            codesize[c1] += 1
        others[c1] = c2
        codesize[c2] += 1
        while others[c2] >= 0:
            c2 = others[c2]
            codesize[c2] += 1
    bits = [0] * 33
    for i in range(257):
        if codesize[i]:
            bits[codesize[i]] += 1
    for i in range(32, 16, -1):
        while bits[i] > 0:
            j = i - 2
            while bits[j] == 0:
                j -= 1
            bits[i] -= 2
            bits[i - 1] += 1
            bits[j + 1] += 2
            bits[j] -= 1
    i = 16
    while bits[i] == 0:
        i -= 1
    bits[i] -= 1
    values = [s for size in range(1, 33) for s in range(256) if codesize[s] == size]
    return bits[1:17], values


def _canonical_codes(bits, values):
    codes = {}
    code = 0
    k = 0
    for length in range(1, 17):
        for _ in range(bits[length - 1]):
            codes[values[k]] = (code, length)
            code += 1
            k += 1
        code <<= 1
    return codes


class _BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.n = 0

    def put(self, value, length):
        self.acc = (self.acc << length) | (value & ((1 << length) - 1))
        self.n += length
        while self.n >= 8:
            self.n -= 8
            byte = (self.acc >> self.n) & 255
            self.out.append(byte)
            if byte == 255:
                self.out.append(0)
        self.acc &= (1 << self.n) - 1

    def flush(self):
        if self.n:
            self.put((1 << (8 - self.n)) - 1, 8 - self.n)


def jpeg_bytes(canvas, quality=82):
    w, h = canvas.w, canvas.h
    pw, ph = (w + 15) // 16 * 16, (h + 15) // 16 * 16
    px = canvas.px
    # Colour conversion with edge replication into padded planes (level-shifted by -128).
    Y = [0.0] * (pw * ph)
    Cb = [0.0] * (pw * ph)
    Cr = [0.0] * (pw * ph)
    for y in range(ph):
        sy = min(y, h - 1)
        for x in range(pw):
            i = (sy * w + min(x, w - 1)) * 3
            r, g, b = px[i], px[i + 1], px[i + 2]
            j = y * pw + x
            Y[j] = 0.299 * r + 0.587 * g + 0.114 * b - 128
            Cb[j] = -0.168736 * r - 0.331264 * g + 0.5 * b
            Cr[j] = 0.5 * r - 0.418688 * g - 0.081312 * b
    cw, ch = pw // 2, ph // 2
    Cbs = [0.0] * (cw * ch)
    Crs = [0.0] * (cw * ch)
    for y in range(ch):
        for x in range(cw):
            a = 2 * y * pw + 2 * x
            Cbs[y * cw + x] = round((Cb[a] + Cb[a + 1] + Cb[a + pw] + Cb[a + pw + 1]) / 4)
            Crs[y * cw + x] = round((Cr[a] + Cr[a + 1] + Cr[a + pw] + Cr[a + pw + 1]) / 4)
    Y = [round(v) for v in Y]

    lq = _scaled_table(LUMA_Q, quality)
    cq = _scaled_table(CHROMA_Q, quality)

    def block(plane, stride, bx, by):
        out = []
        for yy in range(8):
            base = (by + yy) * stride + bx
            out.extend(plane[base:base + 8])
        return out

    # Pass 1: quantized blocks in scan order with their table (0 luma, 1 chroma) and component index.
    blocks = []
    for my in range(0, ph, 16):
        for mx in range(0, pw, 16):
            for (ox, oy) in ((0, 0), (8, 0), (0, 8), (8, 8)):
                blocks.append((0, _fdct_quantize(block(Y, pw, mx + ox, my + oy), lq)))
            blocks.append((1, _fdct_quantize(block(Cbs, cw, mx // 2, my // 2), cq)))
            blocks.append((2, _fdct_quantize(block(Crs, cw, mx // 2, my // 2), cq)))

    # Symbols per block, and their counts per table.
    dc_freq = [[0] * 256, [0] * 256]
    ac_freq = [[0] * 256, [0] * 256]
    pred = [0, 0, 0]
    coded = []
    for comp, coefs in blocks:
        t = 0 if comp == 0 else 1
        diff = coefs[0] - pred[comp]
        pred[comp] = coefs[0]
        syms = []
        s = _category(diff)
        syms.append(('dc', s, diff))
        dc_freq[t][s] += 1
        run = 0
        last = 63
        while last > 0 and coefs[last] == 0:
            last -= 1
        for k in range(1, last + 1):
            v = coefs[k]
            if v == 0:
                run += 1
                continue
            while run > 15:
                syms.append(('ac', 0xF0, None))
                ac_freq[t][0xF0] += 1
                run -= 16
            s = _category(v)
            sym = (run << 4) | s
            syms.append(('ac', sym, v))
            ac_freq[t][sym] += 1
            run = 0
        if last < 63:
            syms.append(('ac', 0x00, None))
            ac_freq[t][0x00] += 1
        coded.append((t, syms))

    tables = {}
    dht = bytearray()
    for cls, freqs in ((0, dc_freq), (1, ac_freq)):
        for t in (0, 1):
            bits, values = _optimal_huffman(freqs[t])
            tables[(cls, t)] = _canonical_codes(bits, values)
            dht += bytes([(cls << 4) | t]) + bytes(bits) + bytes(values)

    bw = _BitWriter()
    for t, syms in coded:
        dc = tables[(0, t)]
        ac = tables[(1, t)]
        for kind, sym, v in syms:
            if kind == 'dc':
                code, length = dc[sym]
                bw.put(code, length)
                if sym:
                    bw.put(v if v > 0 else v + (1 << sym) - 1, sym)
            else:
                code, length = ac[sym]
                bw.put(code, length)
                size = sym & 15
                if size:
                    bw.put(v if v > 0 else v + (1 << size) - 1, size)
    bw.flush()

    def segment(marker, payload):
        return struct.pack('>BBH', 0xFF, marker, len(payload) + 2) + payload

    out = bytearray(b'\xff\xd8')
    out += segment(0xE0, b'JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00')
    out += segment(0xDB, bytes([0]) + bytes(lq[z] for z in ZIGZAG) + bytes([1]) + bytes(cq[z] for z in ZIGZAG))
    out += segment(0xC0, struct.pack('>BHHB', 8, h, w, 3) + bytes([1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1]))
    out += segment(0xC4, bytes(dht))
    out += segment(0xDA, bytes([3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0]))
    out += bw.out
    out += b'\xff\xd9'
    return bytes(out)


# ---------------------------------------------------------------------------------------------
# Property trees
# ---------------------------------------------------------------------------------------------
# Switches are "pt_list" properties whose choices are exactly the words the book writers compare
# with ("Yes"/"No", "Show"/"Hide"): a "pt_bool" check box would store "YES"/"NO", which the
# writers do not accept.

YES_NO = "Yes,No"
SHOW_HIDE = "Show,Hide"
IMAGE_FILTER = "Image files (*.jpg, *.png, *.gif)|*.jpg;*.png;*.gif"
LOGO_FILTER = "Image files (*.jpg, *.png, *.gif, *.bmp)|*.jpg;*.png;*.gif;*.bmp"
SOUND_FILTER = "MP3 sound files (*.mp3)|*.mp3"
DOWNLOAD_FILTER = "Documents (*.pdf, *.zip, *.epub, *.txt)|*.pdf;*.zip;*.epub;*.txt"
LANGUAGES = "English,French,German,Spanish,Italian,Portuguese,Dutch,Swedish,Polish,Russian,Chinese,Japanese"


def prop(key, type_, title, desc, value="", source=""):
    return {'key': key, 'type': type_, 'title': title, 'desc': desc, 'value': value, 'source': source,
            'children': []}


def group(key, title, desc, children):
    g = prop(key, 'pt_composite', title, desc)
    g['children'] = children
    return g


def property_tree(v, notes=None):
    """The property tree every template shares; v maps keys to the template's own default values, notes
    maps keys to a sentence the template adds to that property's description."""
    tree = _shared_tree(v)
    for p in _walk(tree):
        if notes and p['key'] in notes:
            p['desc'] += " " + notes[p['key']]
    return tree


def _walk(props):
    for p in props:
        yield p
        yield from _walk(p['children'])


def _shared_tree(v):
    return [
        group("BookGroup", "Book", "Size, title, colours and behaviour of the book itself.", [
            prop("Title", "pt_text", "Book title",
                 "The title shown in the book's tool bar and in the mobile version.", v["Title"]),
            prop("pageWidth", "pt_number", "Page width",
                 "Width of one page in pixels. It is taken from the imported document; choosing another "
                 "template or style keeps it.", v["pageWidth"]),
            prop("pageHeight", "pt_number", "Page height",
                 "Height of one page in pixels. It is taken from the imported document; choosing another "
                 "template or style keeps it.", v["pageHeight"]),
            prop("BaseColor", "pt_color", "Main colour",
                 "Colour of the tool bar, the buttons and the other controls around the book, as a "
                 "hexadecimal RGB value such as 0x804000.", v["BaseColor"]),
            prop("PerPageThickness", "pt_number", "Page thickness",
                 "Thickness of one sheet in pixels; the book's edge grows with the number of pages.",
                 v["PerPageThickness"]),
            prop("AutoScale", "pt_list", "Fit book to window",
                 "Yes: the book grows and shrinks with the browser window. No: it keeps its page size.",
                 v["AutoScale"], YES_NO),
            prop("languageSetting", "pt_list", "Language",
                 "Language of the tool bar's tips and messages. Choosing another template or style "
                 "keeps it.", v["languageSetting"], LANGUAGES),
        ]),
        group("AuthorGroup", "Author", "Who made the book; shown in the book's information panel.", [
            prop("AuthorName", "pt_text", "Author name", "Name of the book's author or publisher.",
                 v["AuthorName"]),
            prop("AuthorEmail", "pt_text", "E-mail address", "Contact e-mail address of the author.",
                 v["AuthorEmail"]),
            prop("AuthorWebSite", "pt_text", "Web site", "Web site of the author, for example "
                 "https://www.example.com.", v["AuthorWebSite"]),
            prop("AuthorInfo", "pt_text", "Description",
                 "A few words about the book, shown in the information panel and used as the mobile "
                 "version's description.", v["AuthorInfo"]),
        ]),
        group("LogoGroup", "Logo", "A small picture in the corner of the book's window.", [
            prop("ShowLogo", "pt_list", "Show logo", "Yes: the logo picture is displayed. No: no logo.",
                 v["ShowLogo"], YES_NO),
            prop("LogoFile", "pt_file", "Logo picture",
                 "A JPG, PNG, GIF or BMP picture, about 150 x 50 pixels.", v["LogoFile"], LOGO_FILTER),
            prop("LogoLink", "pt_text", "Logo link",
                 "Web address opened when the reader clicks the logo; leave empty for none.", v["LogoLink"]),
        ]),
        group("BackgroundGroup", "Background", "What is drawn behind the book.", [
            prop("BackgroundType", "pt_list", "Background fill",
                 "GradientColor: a gradient from the start colour to the end colour. Color: one plain "
                 "colour. Image: the background picture, over the plain colour.", v["BackgroundType"],
                 "GradientColor,Color,Image"),
            prop("Color", "pt_color", "Plain colour", "The colour used when the fill is Color.", v["Color"]),
            prop("GradientStartColor", "pt_color", "Gradient start colour",
                 "First colour of the gradient (also the mobile version's background).",
                 v["GradientStartColor"]),
            prop("GradientEndColor", "pt_color", "Gradient end colour", "Last colour of the gradient.",
                 v["GradientEndColor"]),
            prop("GradientAngle", "pt_number", "Gradient angle",
                 "Direction of the gradient in degrees: 90 runs from top to bottom, 0 from left to right.",
                 v["GradientAngle"]),
            prop("BgType", "pt_list", "Publish picture",
                 "Image: the picture file below is published with the book, as the Image fill needs. "
                 "None: it is left out.", v["BgType"], "Image,None"),
            prop("ImagePath", "pt_file", "Picture file", "A JPG, PNG or GIF picture for the background.",
                 v["ImagePath"], IMAGE_FILTER),
            prop("ImgPosition", "pt_list", "Picture position",
                 "Fill: cover the window, cropping the picture. Fit: show it whole. Stretch: distort it to "
                 "the window. Center: original size in the middle. Tile: repeat it.", v["ImgPosition"],
                 "Fill,Fit,Stretch,Center,Tile"),
        ]),
        group("ButtonsGroup", "Tool bar buttons", "Which buttons the tool bar shows.", [
            prop("Zoom", "pt_list", "Zoom button", "Lets the reader enlarge a page.", v["Zoom"], SHOW_HIDE),
            prop("TiltAngle", "pt_list", "Tilt button",
                 "Lets the reader tilt the open book back for a view in perspective.", v["TiltAngle"],
                 SHOW_HIDE),
            prop("AutoPlay", "pt_list", "Auto flip button", "Starts and stops automatic page turning.",
                 v["AutoPlay"], SHOW_HIDE),
            prop("BackgroundSound", "pt_list", "Sound button", "Switches the background music on and off.",
                 v["BackgroundSound"], SHOW_HIDE),
            prop("Info", "pt_list", "Information button", "Shows the author's details.", v["Info"], SHOW_HIDE),
            prop("Bookmark", "pt_list", "Bookmark button", "Shows the table of contents.", v["Bookmark"],
                 SHOW_HIDE),
            prop("Thumbnail", "pt_list", "Thumbnails button", "Shows small pictures of all pages.",
                 v["Thumbnail"], SHOW_HIDE),
            prop("FullScreen", "pt_list", "Full screen button", "Shows the book on the whole screen.",
                 v["FullScreen"], SHOW_HIDE),
            prop("Help", "pt_list", "Help button", "Shows how to use the book.", v["Help"], SHOW_HIDE),
            prop("Share", "pt_list", "Share button", "Lets the reader share the book's address.", v["Share"],
                 SHOW_HIDE),
            prop("Print", "pt_list", "Print button", "Lets the reader print pages.", v["Print"], SHOW_HIDE),
            prop("Download", "pt_list", "Download button",
                 "Lets the reader download the file chosen under Download.", v["Download"], SHOW_HIDE),
        ]),
        group("AutoFlipGroup", "Auto flip", "Turning the pages automatically.", [
            prop("Enable", "pt_list", "Start automatically",
                 "Yes: the pages start turning by themselves when the book opens.", v["Enable"], YES_NO),
            prop("Interval", "pt_number", "Seconds per page", "Time in seconds before the next page turns.",
                 v["Interval"]),
            prop("loop", "pt_number", "Extra rounds",
                 "How many times auto flip starts again from the first page after the last one; 0 stops "
                 "at the last page, -1 repeats for ever.", v["loop"]),
        ]),
        group("SoundGroup", "Sound", "Music and the sound of turning pages.", [
            prop("PlayFlipSound", "pt_list", "Page turn sound", "Yes: a soft paper sound plays at every turn.",
                 v["PlayFlipSound"], YES_NO),
            prop("SoundFile", "pt_file", "Background music", "An MP3 file played while the book is open.",
                 v["SoundFile"], SOUND_FILTER),
            prop("LoopSound", "pt_list", "Repeat music", "Yes: the music starts again when it ends.",
                 v["LoopSound"], YES_NO),
        ]),
        group("ServicesGroup", "Download, sharing and statistics", "Extra services of the published book.", [
            prop("DownloadFile", "pt_file", "Download file",
                 "A file the reader can download with the download button, for example the original PDF.",
                 v["DownloadFile"], DOWNLOAD_FILTER),
            prop("ShareID", "pt_text", "Sharing service ID", "Account ID of the sharing service; may be empty.",
                 v["ShareID"]),
            prop("GoogleID", "pt_text", "Google Analytics ID",
                 "Web property ID (such as UA-12345-1) for visitor statistics of the book; may be empty.",
                 v["GoogleID"]),
        ]),
        group("MobileGroup", "Mobile version", "Settings used only by the HTML5 version for phones and tablets.", [
            prop("bookTitle", "pt_text", "Mobile page title", "Title of the single-slide mobile page.",
                 v["bookTitle"]),
            prop("link", "pt_text", "Mobile logo link", "Web address opened when the logo is tapped.",
                 v["link"]),
            prop("direction", "pt_list", "Reading direction",
                 "Right: pages turn from right to left as in English books. Left: for books read from "
                 "right to left.", v["direction"], "Right,Left"),
            prop("GoogleAnalytics", "pt_text", "Mobile Google Analytics ID",
                 "Web property ID for visitor statistics of the mobile version; may be empty.",
                 v["GoogleAnalytics"]),
        ]),
    ]


COMMON_DEFAULTS = {
    "Title": "Leafcraft Book", "pageWidth": "540", "pageHeight": "720", "BaseColor": "0x804000",
    "PerPageThickness": "1", "AutoScale": "Yes", "languageSetting": "English",
    "AuthorName": "Leafcraft", "AuthorEmail": "", "AuthorWebSite": "",
    "AuthorInfo": "A page-flipping book made with Leafcraft.",
    "ShowLogo": "No", "LogoFile": "", "LogoLink": "",
    "BackgroundType": "GradientColor", "Color": "0x808000", "GradientStartColor": "0xFF9900",
    "GradientEndColor": "0xe8ac4d", "GradientAngle": "90", "BgType": "None", "ImagePath": "",
    "ImgPosition": "Fill",
    "Zoom": "Show", "TiltAngle": "Show", "AutoPlay": "Show", "BackgroundSound": "Show", "Info": "Show",
    "Bookmark": "Show", "Thumbnail": "Show", "FullScreen": "Show", "Help": "Show", "Share": "Show",
    "Print": "Show", "Download": "Hide",
    "Enable": "No", "Interval": "3", "loop": "0",
    "PlayFlipSound": "Yes", "SoundFile": "", "LoopSound": "Yes",
    "DownloadFile": "", "ShareID": "", "GoogleID": "",
    "bookTitle": "Leafcraft Book", "link": "", "direction": "Right", "GoogleAnalytics": "",
}

# Every key the book writers read, in the order they appear in the tree above.
ALL_KEYS = list(COMMON_DEFAULTS)


def template_xml(info, tree):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>', '<flashTemplate>', '  <info>']
    for name in ("htmlPath", "swfPath", "defaultStyle", "macAppFilesFolder", "mobileTmplFilesPath"):
        lines.append('    <%s>%s</%s>' % (name, escape(info[name]), name))
    lines += ['  </info>', '  <properties>']

    def emit(p, indent):
        pad = ' ' * indent
        lines.append('%s<property type="%s">' % (pad, p['type']))
        for field, name in (('key', 'key'), ('title', 'title'), ('desc', 'desc'), ('value', 'value'),
                            ('source', 'valueSource'), ('value', 'defaultValue')):
            lines.append('%s  <%s>%s</%s>' % (pad, name, escape(p[field]), name))
        if p['children']:
            lines.append('%s  <childProperties>' % pad)
            for c in p['children']:
                emit(c, indent + 4)
            lines.append('%s  </childProperties>' % pad)
        lines.append('%s</property>' % pad)

    for p in tree:
        emit(p, 4)
    lines += ['  </properties>', '</flashTemplate>', '']
    return '\n'.join(lines)


# ---------------------------------------------------------------------------------------------
# Pictures
# ---------------------------------------------------------------------------------------------

def blend_ellipse(c, cx, cy, rx, ry, color, t):
    """Mixes color into the pixels of an ellipse with weight t (a translucent disc)."""
    for yy in range(max(0, int(cy - ry)), min(c.h, int(cy + ry) + 1)):
        d = (yy + 0.5 - cy) / ry
        if abs(d) > 1:
            continue
        half = rx * math.sqrt(1 - d * d)
        for x in range(max(0, round(cx - half)), min(c.w, round(cx + half))):
            i = (yy * c.w + x) * 3
            for k in range(3):
                c.px[i + k] = int(c.px[i + k] * (1 - t) + color[k] * t)


def hills(c, horizon, base, amp, freqs, phase, color):
    """A ridge of hills: every column is filled from its ridge height down to the bottom."""
    for x in range(c.w):
        a = x / c.w * 2 * math.pi
        top = horizon - base - sum(amp * math.sin(f * a + phase + i) / (i + 1) for i, f in enumerate(freqs))
        for y in range(max(0, int(top)), c.h):
            i = (y * c.w + x) * 3
            c.px[i:i + 3] = bytes(color)


def linen_tile(size, base, seed):
    """A seamless woven-linen texture: threads of varying shade in both directions."""
    rnd = random.Random(seed)
    rows = [rnd.uniform(-1, 1) for _ in range(size)]
    cols = [rnd.uniform(-1, 1) for _ in range(size)]
    # slubs: a few thicker threads
    for _ in range(size // 12):
        j = rnd.randrange(size)
        rows[j] += rnd.choice((-2, 2))
        j = rnd.randrange(size)
        cols[j] += rnd.choice((-2, 2))
    c = Canvas(size, size, base)
    for y in range(size):
        for x in range(size):
            weave = rows[y] * 3.5 if (x + y) % 2 else cols[x] * 3.5
            n = weave + rnd.uniform(-2, 2)
            i = (y * size + x) * 3
            c.px[i:i + 3] = bytes(max(0, min(255, int(base[k] + n))) for k in range(3))
    return c


def book_on(c, cx, cy, page_w, page_h, accent, paper=(252, 250, 244)):
    """An open book seen from the front, with a shadow, text lines and a picture on the right page."""
    x0 = cx - page_w
    c.rect(x0 + 4, cy - page_h // 2 + 5, page_w * 2, page_h, (40, 40, 40))
    c.rect(x0, cy - page_h // 2, page_w * 2, page_h, paper)
    c.rect(cx - 1, cy - page_h // 2, 2, page_h, mix(paper, (0, 0, 0), 0.25))
    top = cy - page_h // 2
    line = mix(paper, (0, 0, 0), 0.35)
    for i in range(8):
        y = top + 10 + i * (page_h - 20) // 9
        c.rect(x0 + 8, y, page_w - 16 - (i % 3) * 6, 2, line)
    c.rect(cx + 8, top + 10, page_w - 16, page_h // 3, accent)
    for i in range(4):
        y = top + 16 + page_h // 3 + i * (page_h // 2 - 10) // 5
        c.rect(cx + 8, y, page_w - 16 - (i % 2) * 8, 2, line)


def shot(background, style):
    """The 240x180 preview of a style: its background, an open book and its tool bar colour."""
    c = background
    book_on(c, 120, 82, 62, 96, hexrgb(style.get("GradientStartColor", "0x808080")))
    bar = hexrgb(style["BaseColor"])
    c.rect(0, 156, 240, 24, bar)
    light = mix(bar, (255, 255, 255), 0.75)
    for i in range(7):
        c.rect(66 + i * 16, 164, 8, 8, light)
    return c


def fill_background(c, style, picture):
    if picture is not None and style.get("BgType") == "Image":
        if style.get("ImgPosition") == "Tile":
            for y in range(0, c.h, picture.h):
                for x in range(0, c.w, picture.w):
                    c.blit(picture, x, y)
        else:
            c.blit(picture.scaled(c.w, c.h), 0, 0)
    elif style.get("BackgroundType") == "Color":
        c.rect(0, 0, c.w, c.h, hexrgb(style["Color"]))
    else:
        c.vgradient(0, 0, c.w, c.h, hexrgb(style["GradientStartColor"]), hexrgb(style["GradientEndColor"]))
    return c


# --- float ------------------------------------------------------------------------------------

def float_bg(kind, w=640, h=400):
    c = Canvas(w, h)
    if kind == "Blue":
        c.vgradient(0, 0, w, h, (111, 168, 220), (28, 69, 135))
        rnd = random.Random(7)
        for _ in range(14):
            r = rnd.randint(20, 70)
            blend_ellipse(c, rnd.randint(0, w), rnd.randint(0, h), r, r, (255, 255, 255), rnd.uniform(0.06, 0.16))
    elif kind == "Sunset":
        c.vgradient(0, 0, w, h * 2 // 3, (88, 45, 110), (255, 170, 80))
        c.vgradient(0, h * 2 // 3, w, h - h * 2 // 3, (255, 170, 80), (190, 80, 50))
        c.circle(w * 0.7, h * 0.62, 46, (255, 226, 150))
        hills(c, h * 0.72, 0, 18, (2, 5), 0.3, (120, 50, 60))
        hills(c, h * 0.85, 0, 14, (3, 7), 1.9, (70, 30, 45))
    elif kind == "Forest":
        c.vgradient(0, 0, w, h, (214, 236, 210), (150, 200, 150))
        hills(c, h * 0.62, 0, 26, (2, 3), 0.5, (120, 170, 115))
        hills(c, h * 0.78, 0, 20, (3, 5), 2.0, (72, 128, 78))
        rnd = random.Random(11)
        for _ in range(26):
            x = rnd.randint(0, w)
            y = rnd.randint(int(h * 0.74), h)
            s = rnd.randint(14, 30)
            c.polygon([(x, y - 2.4 * s), (x + s * 0.7, y), (x - s * 0.7, y)], (40, 92, 52))
        hills(c, h * 0.97, 0, 8, (4, 9), 0.1, (47, 107, 58))
    return c


# --- Panoramic --------------------------------------------------------------------------------

CUBE_FACES = {
    'f': lambda a, b: (a, -b, 1.0),
    'r': lambda a, b: (1.0, -b, -a),
    'b': lambda a, b: (-a, -b, -1.0),
    'l': lambda a, b: (-1.0, -b, a),
    'u': lambda a, b: (a, 1.0, b),
    'd': lambda a, b: (a, -1.0, -b),
}


def cube_face(face, look, size):
    """One face of a panorama cube; every pixel is coloured by its viewing direction."""
    c = Canvas(size, size)
    dirfn = CUBE_FACES[face]
    sun = look.get('sun')
    if sun:
        az, el = sun
        sv = (math.cos(el) * math.sin(az), math.sin(el), math.cos(el) * math.cos(az))
    rnd = random.Random(look['seed'] + ord(face))
    px = c.px
    for y in range(size):
        b = (2 * y + 1) / size - 1
        for x in range(size):
            a = (2 * x + 1) / size - 1
            dx, dy, dz = dirfn(a, b)
            flat = math.sqrt(dx * dx + dz * dz)
            el = math.atan2(dy, flat)
            if el >= 0:
                az = math.atan2(dx, dz)
                ridge = look['hill'] * (0.6 + 0.25 * math.sin(3 * az + 0.5) + 0.15 * math.sin(8 * az + 2.0))
                if el < ridge:
                    col = mix(look['hill_far'], look['hill_near'], 1 - el / ridge)
                else:
                    col = mix(look['horizon'], look['zenith'], (el / (math.pi / 2)) ** 0.6)
                    if sun:
                        n = math.sqrt(dx * dx + dy * dy + dz * dz)
                        d = (dx * sv[0] + dy * sv[1] + dz * sv[2]) / n
                        if d > 0.9985:
                            col = look['sun_color']
                        elif d > 0.96:
                            col = mix(col, look['sun_color'], ((d - 0.96) / 0.0385) ** 2 * 0.7)
            else:
                col = mix(look['ground_far'], look['ground_near'], (-el / (math.pi / 2)) ** 0.5)
            i = (y * size + x) * 3
            px[i:i + 3] = bytes(col)
    if look.get('stars'):
        for _ in range(90):
            x, y = rnd.randrange(size), rnd.randrange(size)
            a, b = (2 * x + 1) / size - 1, (2 * y + 1) / size - 1
            dx, dy, dz = dirfn(a, b)
            if math.atan2(dy, math.sqrt(dx * dx + dz * dz)) > look['hill'] + 0.05:
                s = rnd.choice((1, 1, 2))
                c.rect(x, y, s, s, (255, 255, 235))
    return c


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
    c = Canvas(256, 256, (0, 0, 0), alpha=0)
    c.ellipse(128, 222, 92, 14, (150, 156, 172))                    # shadow under the floating book
    c.polygon([(28, 70), (124, 92), (124, 196), (28, 174)], (31, 78, 121))
    c.polygon([(132, 92), (228, 70), (228, 174), (132, 196)], (31, 78, 121))
    c.polygon([(36, 62), (124, 84), (124, 186), (36, 164)], (250, 250, 246))
    c.polygon([(132, 84), (220, 62), (220, 164), (132, 186)], (236, 242, 250))
    for i in range(5):
        y = 92 + i * 16
        c.line(50, y, 112, y + 15, 5, (111, 168, 220))
        c.line(144, y + 15, 206, y, 5, (111, 168, 220))
    return c.downsampled(4)


def icon_panoramic():
    c = Canvas(256, 256, (0, 0, 0), alpha=0)
    top = [(128, 24), (228, 74), (128, 124), (28, 74)]
    left = [(28, 74), (128, 124), (128, 236), (28, 186)]
    right = [(128, 124), (228, 74), (228, 186), (128, 236)]
    c.polygon(top, (150, 200, 245))
    c.polygon(left, (70, 130, 200))
    c.polygon(right, (52, 110, 190))
    c.polygon([(28, 150), (128, 200), (128, 236), (28, 186)], (80, 125, 80))
    c.polygon([(128, 200), (228, 150), (228, 186), (128, 236)], (70, 110, 55))
    c.circle(170, 74, 18, (255, 240, 190))
    return c.downsampled(4)


def icon_linen():
    c = Canvas(256, 256, (0, 0, 0), alpha=0)
    c.rect(46, 30, 172, 212, (170, 160, 140))
    tile = linen_tile(168, (233, 225, 208), 5)
    for y in range(168):
        c.span(28 + y, 40, 208, (0, 0, 0))
    c.blit(tile.scaled(168, 208), 40, 22)
    for i in range(6):
        c.rect(62, 60 + i * 24, 124 - (i % 2) * 30, 8, (122, 106, 83))
    c.polygon([(168, 22), (208, 22), (208, 62)], (205, 195, 175))
    return c.downsampled(4)


# --- demonstration pages ----------------------------------------------------------------------

PAGE_W, PAGE_H = 540, 720


def wrap(text, width_chars):
    words, lines, cur = text.split(), [], ""
    for w in words:
        if cur and len(cur) + 1 + len(w) > width_chars:
            lines.append(cur)
            cur = w
        else:
            cur = (cur + " " + w).strip()
    if cur:
        lines.append(cur)
    return lines


def paragraph(c, x, y, text, scale, color, width_px, leading=None):
    leading = leading or 11 * scale
    for line in wrap(text, width_px // (6 * scale)):
        c.text(x, y, line, scale, color)
        y += leading
    return y


def leaf(c, cx, cy, size, color, vein):
    pts = []
    for i in range(41):
        t = i / 40 * math.pi
        pts.append((cx + size * math.sin(t) * 0.5, cy - size * math.cos(t)))
    for i in range(41):
        t = i / 40 * math.pi
        pts.append((cx - size * math.sin(t) * 0.5, cy + size * math.cos(t)))
    c.polygon(pts, color)
    c.line(cx, cy - size * 0.9, cx, cy + size * 1.25, max(2, size // 18), vein)
    for k in range(-3, 4):
        y = cy + k * size * 0.22
        c.line(cx, y, cx + size * 0.32, y - size * 0.2, max(2, size // 28), vein)
        c.line(cx, y, cx - size * 0.32, y - size * 0.2, max(2, size // 28), vein)


INK = (44, 44, 52)
PAPER = (252, 250, 244)
GREEN = (46, 110, 70)


def page_frame(number, heading):
    c = Canvas(PAGE_W, PAGE_H, PAPER)
    c.rect(40, 40, PAGE_W - 80, 4, GREEN)
    c.text(40, 60, heading, 4, GREEN)
    c.rect(40, PAGE_H - 60, PAGE_W - 80, 2, (200, 196, 186))
    c.text(40, PAGE_H - 46, "Leafcraft demo book", 2, (150, 146, 136))
    c.text(PAGE_W - 40 - text_width(str(number), 3), PAGE_H - 50, str(number), 3, INK)
    return c


def demo_pages():
    pages = []
    # 1: cover
    c = Canvas(PAGE_W, PAGE_H)
    c.vgradient(0, 0, PAGE_W, PAGE_H, (36, 92, 60), (16, 52, 34))
    leaf(c, 270, 250, 130, (120, 190, 110), (36, 92, 60))
    c.text_centered(270, 430, "Leafcraft", 9, (250, 248, 236))
    c.text_centered(270, 520, "A demonstration book", 3, (200, 230, 200))
    c.text_centered(270, PAGE_H - 70, "1", 3, (200, 230, 200))
    pages.append(c)

    # 2: welcome
    c = page_frame(2, "Welcome")
    y = paragraph(c, 40, 120, "This little book shows how your own pages will look once Leafcraft has "
                  "turned a PDF into a page-flipping book.", 2, INK, PAGE_W - 80)
    y = paragraph(c, 40, y + 20, "Import a PDF with the Import button, choose a template and a style, "
                  "change colours, texts and pictures on the left, and publish the book as a folder that "
                  "opens in any web browser.", 2, INK, PAGE_W - 80)
    for i, col in enumerate(((46, 110, 70), (111, 168, 220), (230, 160, 70))):
        c.circle(130 + i * 140, y + 110, 50, col)
        c.text_centered(130 + i * 140, y + 180, ("Import", "Design", "Publish")[i], 2, INK)
    pages.append(c)

    # 3: turning pages
    c = page_frame(3, "Turning pages")
    y = paragraph(c, 40, 120, "Drag a page corner, click the edge of a page, or use the arrow keys. "
                  "The tool bar below the book has buttons for zoom, thumbnails, full screen and more.",
                  2, INK, PAGE_W - 80)
    c.rect(120, y + 40, 300, 360, (236, 232, 222))
    c.polygon([(420, y + 300), (420, y + 400), (320, y + 400)], (210, 204, 190))
    c.polygon([(420, y + 300), (320, y + 400), (340, y + 310)], (250, 248, 240))
    c.line(340, y + 310, 420, y + 300, 2, (180, 174, 160))
    c.line(340, y + 310, 320, y + 400, 2, (180, 174, 160))
    for i in range(8):
        c.rect(150, y + 70 + i * 28, 220 - (i % 3) * 40, 6, (190, 186, 176))
    pages.append(c)

    # 4: pictures
    c = page_frame(4, "Pictures")
    paragraph(c, 40, 120, "Pages keep their pictures and colours. Zoom in to see the details.", 2, INK,
              PAGE_W - 80)
    c.vgradient(40, 180, PAGE_W - 80, 300, (150, 200, 240), (230, 242, 250))
    hillc = Canvas(PAGE_W - 80, 300)
    hillc.vgradient(0, 0, hillc.w, hillc.h, (150, 200, 240), (230, 242, 250))
    hillc.circle(330, 80, 36, (255, 236, 160))
    hills(hillc, 230, 0, 24, (2, 3), 0.4, (120, 170, 110))
    hills(hillc, 270, 0, 16, (3, 5), 1.7, (70, 130, 80))
    c.blit(hillc, 40, 180)
    leaf(c, 120, 560, 60, (120, 190, 110), (46, 110, 70))
    leaf(c, 270, 560, 60, (230, 160, 70), (160, 100, 40))
    leaf(c, 420, 560, 60, (200, 90, 70), (140, 50, 40))
    pages.append(c)

    # 5: chart
    c = page_frame(5, "Facts and figures")
    paragraph(c, 40, 120, "Charts and tables stay sharp: vector pages are kept as vectors.", 2, INK,
              PAGE_W - 80)
    base = 560
    c.rect(70, 200, 3, base - 200, INK)
    c.rect(70, base, 420, 3, INK)
    for i, v in enumerate((120, 200, 160, 280, 240, 320)):
        col = mix((111, 168, 220), (46, 110, 70), i / 5)
        c.rect(95 + i * 64, base - v, 44, v, col)
        c.text_centered(117 + i * 64, base + 14, str(2019 + i), 2, INK)
    pages.append(c)

    # 6: templates and styles
    c = page_frame(6, "Templates")
    y = paragraph(c, 40, 120, "Each template has its own look; each style gives it new colours and "
                  "pictures. Three templates come with Leafcraft:", 2, INK, PAGE_W - 80)
    for i, (name, col) in enumerate((("float", (31, 78, 121)), ("Panoramic", (52, 110, 190)),
                                     ("Linen", (122, 106, 83)))):
        top = y + 30 + i * 130
        c.rect(40, top, 110, 100, col)
        c.rect(52, top + 12, 86, 76, mix(col, (255, 255, 255), 0.6))
        c.text(170, top + 38, name, 3, INK)
    pages.append(c)

    # 7: mobile
    c = page_frame(7, "On the go")
    y = paragraph(c, 40, 120, "A mobile version can be published beside the book, for phones and tablets "
                  "without Flash.", 2, INK, PAGE_W - 80)
    c.rect(180, y + 40, 180, 340, (40, 40, 48))
    c.rect(192, y + 70, 156, 280, (236, 242, 250))
    c.circle(270, y + 362, 9, (90, 90, 100))
    c.rect(204, y + 86, 62, 84, (255, 255, 255))
    c.rect(274, y + 86, 62, 84, (255, 255, 255))
    for i in range(5):
        c.rect(210, y + 96 + i * 14, 48, 4, (190, 186, 176))
        c.rect(280, y + 96 + i * 14, 48, 4, (190, 186, 176))
    pages.append(c)

    # 8: back cover
    c = Canvas(PAGE_W, PAGE_H)
    c.vgradient(0, 0, PAGE_W, PAGE_H, (16, 52, 34), (36, 92, 60))
    leaf(c, 270, 300, 70, (120, 190, 110), (16, 52, 34))
    c.text_centered(270, 420, "Made with Leafcraft", 3, (250, 248, 236))
    c.text_centered(270, PAGE_H - 70, "8", 3, (200, 230, 200))
    pages.append(c)
    return pages


# ---------------------------------------------------------------------------------------------
# Templates and styles
# ---------------------------------------------------------------------------------------------

TEMPLATES = {
    "float": {
        "info": {"defaultStyle": "Blue"},
        "defaults": {"BaseColor": "0x1f4e79", "Color": "0x2d5a8c", "GradientStartColor": "0x6fa8dc",
                     "GradientEndColor": "0x1c4587"},
        "icon": icon_float,
        "styles": {
            "Blue": {"BaseColor": "0x1f4e79", "BackgroundType": "Image", "Color": "0x2d5a8c",
                     "GradientStartColor": "0x6fa8dc", "GradientEndColor": "0x1c4587", "GradientAngle": "90",
                     "BgType": "Image", "ImagePath": "STYLE_RESOURCE:bg.jpg", "ImgPosition": "Fill"},
            "Sunset": {"BaseColor": "0x8a3b12", "BackgroundType": "Image", "Color": "0xd35400",
                       "GradientStartColor": "0xffb347", "GradientEndColor": "0xc0392b", "GradientAngle": "90",
                       "BgType": "Image", "ImagePath": "STYLE_RESOURCE:bg.jpg", "ImgPosition": "Fill"},
            "Forest": {"BaseColor": "0x2e5e2e", "BackgroundType": "Image", "Color": "0x3d7a47",
                       "GradientStartColor": "0xa8d5a2", "GradientEndColor": "0x2f6b3a", "GradientAngle": "90",
                       "BgType": "Image", "ImagePath": "STYLE_RESOURCE:bg.jpg", "ImgPosition": "Fill"},
            "Graphite": {"BaseColor": "0x333333", "BackgroundType": "Color", "Color": "0x3a3f44",
                         "GradientStartColor": "0x5d6770", "GradientEndColor": "0x23272b", "GradientAngle": "90",
                         "BgType": "None", "ImagePath": "", "ImgPosition": "Fill"},
        },
    },
    "Panoramic": {
        "info": {"defaultStyle": "Sky"},
        "defaults": {"BaseColor": "0x3b5b7a", "Color": "0x5d88b5", "GradientStartColor": "0x87b5e5",
                     "GradientEndColor": "0xdfeaf5", "TiltAngle": "Hide"},
        "icon": icon_panoramic,
        "notes": {
            "BackgroundGroup": "The style's panorama, a cube of six pictures, surrounds the book; the "
                               "settings below colour what shows until the panorama has loaded.",
            "BgType": "The panorama comes with the style and needs no picture here.",
            "GradientStartColor": "The mobile version shows the panorama's back picture instead.",
        },
        "styles": {
            "Sky": {"BaseColor": "0x3b5b7a", "GradientStartColor": "0x87b5e5", "GradientEndColor": "0xdfeaf5",
                    "Color": "0x5d88b5", "BgType": "None"},
            "Dusk": {"BaseColor": "0x5a3550", "GradientStartColor": "0x2d2864", "GradientEndColor": "0xfaa05a",
                     "Color": "0x6b4a6b", "BgType": "None"},
            "Night": {"BaseColor": "0x1c2440", "GradientStartColor": "0x080c23", "GradientEndColor": "0x23325a",
                      "Color": "0x141a30", "BgType": "None"},
        },
    },
    "Linen": {
        "info": {"defaultStyle": "Natural"},
        "defaults": {"BaseColor": "0x7a6a53", "BackgroundType": "Color", "Color": "0xe9e1d0",
                     "GradientStartColor": "0xf3eee4", "GradientEndColor": "0xd9cfbc", "PerPageThickness": "2",
                     "TiltAngle": "Hide", "Share": "Hide"},
        "icon": icon_linen,
        "styles": {
            "Natural": {"BaseColor": "0x7a6a53", "BackgroundType": "Image", "Color": "0xe9e1d0",
                        "GradientStartColor": "0xf3eee4", "GradientEndColor": "0xd9cfbc",
                        "BgType": "Image", "ImagePath": "STYLE_RESOURCE:bg.jpg", "ImgPosition": "Tile"},
            "Slate": {"BaseColor": "0x4a5560", "BackgroundType": "Image", "Color": "0xc9ced3",
                      "GradientStartColor": "0xdfe3e7", "GradientEndColor": "0xaab2ba",
                      "BgType": "Image", "ImagePath": "STYLE_RESOURCE:bg.jpg", "ImgPosition": "Tile"},
            "Sage": {"BaseColor": "0x5f6f52", "BackgroundType": "Image", "Color": "0xd5dcc8",
                     "GradientStartColor": "0xe6ebdd", "GradientEndColor": "0xbcc7ab",
                     "BgType": "Image", "ImagePath": "STYLE_RESOURCE:bg.jpg", "ImgPosition": "Tile"},
        },
    },
}

INFO_COMMON = {"htmlPath": "template.html", "swfPath": "Main.swf", "macAppFilesFolder": "TmplData/mac.app",
               "mobileTmplFilesPath": "TmplData/mobile"}


def settings_text(values):
    """tmplSetting.txt: a heading line (ignored by the reader: it has no '=') and key=value lines."""
    lines = ["# Leafcraft style settings"] + ["%s=%s" % (k, v) for k, v in values.items()]
    return "\n".join(lines) + "\n"


class Writer:
    def __init__(self, root):
        self.root = root
        self.written = []
        self.bytes = 0

    def write(self, rel, data):
        path = os.path.join(self.root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if isinstance(data, str):
            data = data.encode('utf-8')
        old = None
        if os.path.exists(path):
            with open(path, 'rb') as f:
                old = f.read()
        if old != data:
            with open(path + '.tmp', 'wb') as f:
                f.write(data)
            os.replace(path + '.tmp', path)
        self.written.append(rel)
        self.bytes += len(data)


def generate(root, only=None, pictures=True, log=print):
    """Writes the data into root (an AppFiles folder). only: template names and/or "demo" to limit the
    work; pictures=False writes the text files alone. Returns the relative paths written."""
    out = Writer(root)
    out.write("TmplData/README.txt", "Template data shared by all templates: the book player, the mobile player\n"
              "files (mobile/Flip, mobile/Slide) and the application bundle skeleton (mac.app).\n")
    for name, t in TEMPLATES.items():
        if only and name not in only:
            continue
        values = dict(COMMON_DEFAULTS)
        values.update(t["defaults"])
        info = dict(INFO_COMMON)
        info.update(t["info"])
        out.write("Templates/%s/flashTemplate.xml" % name, template_xml(info, property_tree(values, t.get("notes"))))
        for style, settings in t["styles"].items():
            out.write("Styles/%s/%s/tmplSetting.txt" % (name, style), settings_text(settings))
        if not pictures:
            continue
        out.write("Templates/%s/icon.png" % name, png_bytes(t["icon"]()))
        for style, settings in t["styles"].items():
            sdir = "Styles/%s/%s/" % (name, style)
            look = dict(values)
            look.update(settings)
            picture = None
            if name == "float":
                if settings["BgType"] == "Image":
                    picture = float_bg(style)
                    out.write(sdir + "bg.jpg", jpeg_bytes(picture, 80))
                background = fill_background(Canvas(240, 180), look, picture)
            elif name == "Panoramic":
                faces = {}
                for face in "bdflru":
                    faces[face] = cube_face(face, PANORAMA_LOOKS[style], 512)
                    out.write(sdir + face + ".jpg", jpeg_bytes(faces[face], 75))
                background = faces['f'].scaled(240, 240)
                crop = Canvas(240, 180)
                crop.px[:] = background.px[30 * 240 * 3:210 * 240 * 3]
                background = crop
            else:
                base = hexrgb(settings["Color"])
                picture = linen_tile(256, base, sum(map(ord, style)))
                out.write(sdir + "bg.jpg", jpeg_bytes(picture, 85))
                background = fill_background(Canvas(240, 180), look, picture.scaled(128, 128))
            out.write(sdir + "shot.jpg", jpeg_bytes(shot(background, look), 85))
        log("template %s done" % name)
    if pictures and (not only or "demo" in only):
        for i, page in enumerate(demo_pages(), 1):
            out.write("DemoImgs_standard/large/%02d.jpg" % i, jpeg_bytes(page, 80))
    log("%d files, %d bytes" % (len(out.written), out.bytes))
    return out.written


def main(argv):
    import argparse
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description="Writes Leafcraft's shipped template data.")
    parser.add_argument("--out", default=os.path.join(here, "..", "resources", "AppFiles"),
                        help="the AppFiles folder to write (default: resources/AppFiles of this checkout)")
    parser.add_argument("parts", nargs="*", metavar="PART",
                        help="limit the work to these templates and/or 'demo' (default: everything)")
    args = parser.parse_args(argv[1:])
    unknown = [p for p in args.parts if p not in TEMPLATES and p != "demo"]
    if unknown:
        parser.error("unknown part(s): %s (choose from %s, demo)" % (", ".join(unknown), ", ".join(TEMPLATES)))
    generate(os.path.normpath(args.out), set(args.parts) or None, log=lambda m: print(m, flush=True))


if __name__ == "__main__":
    main(sys.argv)
