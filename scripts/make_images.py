#!/usr/bin/env python3
"""Draws the small images of the programs and writes them as Windows files.

    mopwell/res/tabs1.ico        program icon: blue shield with a white tick
    mopwell/res/clean.bmp        clean page picture: a broom sweeping dust
    glimso/res/glimso.ico        viewer icon: a page of text lines under a lens
    vesko/res/vesko_real.ico     tray icon, real identity shown (red)
    vesko/res/vesko_alias.ico    tray icon, alias shown (green, masked face)
    vesko/res/vesko.ico          tray companion's own icon: a badge half green,
                                 half red, resting on a taskbar strip

Standard library only. Shapes are tested at 4 x 4 points per pixel, which
gives soft edges without any imaging package. Run from anywhere:

    python3 scripts/make_images.py [--out ROOT]

The output is deterministic, so the committed files can be checked against
a fresh run.
"""

import argparse
import math
import os
import struct

SS = 4  # samples per pixel along each axis


# ---------------------------------------------------------------- shapes ---
# A shape is a function (x, y) -> bool in pixel coordinates (0,0 = top-left
# corner of the image, y grows downwards).

def circle(cx, cy, r):
    r2 = r * r
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r2


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def round_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def polygon(points):
    pts = list(points)
    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    bx0, bx1, by0, by1 = min(xs), max(xs), min(ys), max(ys)

    def inside(x, y):
        if x < bx0 or x > bx1 or y < by0 or y > by1:
            return False
        hit = False
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y):
                if x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    hit = not hit
            j = i
        return hit
    return inside


def segment(x0, y0, x1, y1, width):
    """A thick line with round ends."""
    dx, dy = x1 - x0, y1 - y0
    ll = dx * dx + dy * dy
    r2 = (width / 2.0) ** 2

    def inside(x, y):
        t = 0.0 if ll == 0 else ((x - x0) * dx + (y - y0) * dy) / ll
        t = min(1.0, max(0.0, t))
        px, py = x0 + t * dx - x, y0 + t * dy - y
        return px * px + py * py <= r2
    return inside


def star(cx, cy, r_out, r_in, points=4, turn=0.0):
    pts = []
    for i in range(points * 2):
        a = turn + math.pi * i / points
        r = r_out if i % 2 == 0 else r_in
        pts.append((cx + r * math.sin(a), cy - r * math.cos(a)))
    return polygon(pts)


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def intersect(a, b):
    return lambda x, y: a(x, y) and b(x, y)


# ---------------------------------------------------------------- paints ---
# A paint is an (r, g, b) tuple or a function (x, y) -> (r, g, b).

def vgrad(y0, c0, y1, c1):
    def paint(x, y):
        t = 0.0 if y1 == y0 else min(1.0, max(0.0, (y - y0) / (y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(c0, c1))
    return paint


def dgrad(x0, y0, c0, x1, y1, c1):
    """Linear gradient along the direction from (x0,y0) to (x1,y1)."""
    dx, dy = x1 - x0, y1 - y0
    ll = dx * dx + dy * dy

    def paint(x, y):
        t = ((x - x0) * dx + (y - y0) * dy) / ll
        t = min(1.0, max(0.0, t))
        return tuple(a + (b - a) * t for a, b in zip(c0, c1))
    return paint


def paint_at(paint, x, y):
    return paint(x, y) if callable(paint) else paint


# ---------------------------------------------------------------- canvas ---

class Canvas:
    """RGBA picture made of layers; each layer is (shape, paint, opacity)."""

    def __init__(self, w, h, background=None):
        self.w, self.h = w, h
        self.background = background  # paint, or None for transparent
        self.layers = []

    def add(self, shape, paint, opacity=1.0):
        self.layers.append((shape, paint, opacity))

    def render(self):
        """Returns rows of (r, g, b, a) tuples, 0..255, top row first."""
        rows = []
        n = SS * SS
        offs = [(i + 0.5) / SS for i in range(SS)]
        for py in range(self.h):
            row = []
            for px in range(self.w):
                acc_r = acc_g = acc_b = acc_a = 0.0
                for oy in offs:
                    y = py + oy
                    for ox in offs:
                        x = px + ox
                        if self.background is not None:
                            r, g, b = paint_at(self.background, x, y)
                            a = 1.0
                        else:
                            r = g = b = a = 0.0
                        for shape, paint, op in self.layers:
                            if shape(x, y):
                                cr, cg, cb = paint_at(paint, x, y)
                                # "over" with premultiplied-free colours
                                na = op + a * (1.0 - op)
                                if na > 0:
                                    r = (cr * op + r * a * (1.0 - op)) / na
                                    g = (cg * op + g * a * (1.0 - op)) / na
                                    b = (cb * op + b * a * (1.0 - op)) / na
                                a = na
                        acc_r += r * a
                        acc_g += g * a
                        acc_b += b * a
                        acc_a += a
                if acc_a > 0:
                    pix = (acc_r / acc_a, acc_g / acc_a, acc_b / acc_a,
                           acc_a / n * 255.0)
                else:
                    pix = (0.0, 0.0, 0.0, 0.0)
                row.append(tuple(int(round(min(255.0, max(0.0, v))))
                                 for v in pix))
            rows.append(row)
        return rows


# ---------------------------------------------------------------- writers --

def bmp24_bytes(rows):
    """Uncompressed 24-bit BMP, bottom-up, rows padded to 4 bytes."""
    h = len(rows)
    w = len(rows[0])
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b, _a in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        pixels += line
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels),
                       2835, 2835, 0, 0)
    offset = 14 + len(info)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return head + info + bytes(pixels)


def ico_image_bytes(rows):
    """One 32-bit icon image: header, BGRA colour rows and the AND mask."""
    h = len(rows)
    w = len(rows[0])
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            if a == 0:
                r = g = b = 0
            xor += bytes((b, g, r, a))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_r, _g, _b, a) in enumerate(row):
            if a < 128:  # transparent where the picture is mostly clear
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0,
                       len(xor) + len(mask), 0, 0, 0, 0)
    return info + bytes(xor) + bytes(mask)


def ico_bytes(images):
    """A .ico holding the given pictures (each a list of RGBA rows)."""
    blobs = [ico_image_bytes(rows) for rows in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for rows, blob in zip(images, blobs):
        w, h = len(rows[0]), len(rows)
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32,
                           len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    print("wrote %s (%d bytes)" % (path, len(data)))


# ---------------------------------------------------------------- artwork --

WHITE = (255, 255, 255)
OUTLINE = (20, 40, 90)


def shield_outline(s, inset=0.0):
    """Shield in a square of side s: a flat top with a shallow dip, straight
    sides down to the middle, then curving in to a point at the bottom.
    inset moves every edge inwards by about that many pixels."""
    d = inset
    left, right = 0.12 * s + d, 0.88 * s - d
    top, mid = 0.06 * s + d, 0.50 * s
    tip = 0.96 * s - 1.6 * d
    cx = 0.5 * s
    pts = []
    for i in range(11):                      # top edge, left to right
        t = i / 10.0
        pts.append((left + (right - left) * t,
                    top + 0.06 * s * math.sin(math.pi * t)))
    pts.append((right, mid))                 # right side
    for i in range(1, 13):                   # right curve down to the tip
        t = i / 12.0
        x = (1 - t) ** 2 * right + 2 * (1 - t) * t * right + t * t * cx
        y = (1 - t) ** 2 * mid + 2 * (1 - t) * t * (0.80 * s) + t * t * tip
        pts.append((x, y))
    for i in range(11, 0, -1):               # and back up on the left
        t = i / 12.0
        x = (1 - t) ** 2 * left + 2 * (1 - t) * t * left + t * t * cx
        y = (1 - t) ** 2 * mid + 2 * (1 - t) * t * (0.80 * s) + t * t * tip
        pts.append((x, y))
    pts.append((left, mid))
    return polygon(pts)


def draw_tabs1(s):
    """Program icon: a blue shield with a white tick - the traces are gone
    and the user is covered."""
    c = Canvas(s, s)
    k = s / 32.0
    outer = shield_outline(s)
    face = shield_outline(s, inset=max(1.0, 1.6 * k))
    c.add(outer, OUTLINE)
    c.add(face, dgrad(0, 0, (100, 170, 250), s, s, (20, 70, 170)))
    # light falls on the left half of the face
    c.add(intersect(face, lambda x, y: x < 0.5 * s), WHITE, 0.14)
    # the tick
    w = max(2.2, 3.6 * k)
    tick = union(segment(9.5 * k, 16.5 * k, 14.0 * k, 21.5 * k, w),
                 segment(14.0 * k, 21.5 * k, 22.5 * k, 10.5 * k, w))
    if s >= 24:
        c.add(lambda x, y: tick(x - 0.8 * k, y - 0.8 * k), OUTLINE, 0.45)
    c.add(tick, WHITE)
    return c.render()


def draw_clean_bitmap(w, h):
    """Clean page picture: a broom sweeping a dust cloud off a floor, with
    sparkles where it has been."""
    floor_y = 0.72 * h
    sky = vgrad(0, (205, 228, 250), floor_y, (240, 248, 255))
    c = Canvas(w, h, background=sky)
    # wall / floor
    c.add(rect(0, floor_y, w, h), vgrad(floor_y, (196, 160, 112), h,
                                       (150, 112, 70)))
    c.add(rect(0, floor_y, w, floor_y + 1.5), (120, 88, 54))
    # floor boards
    for i in range(1, 6):
        x = i * w / 6.0 + 6
        c.add(segment(x, floor_y + 2, x - 10, h, 1.0), (135, 100, 62), 0.6)
    # the swept, shining part of the floor on the left
    c.add(rect(0, floor_y + 1.5, 0.42 * w, h), WHITE, 0.16)

    # dust cloud on the right
    dust = (150, 145, 140)
    cloud = union(*[circle(dx * w, dy * h, r * w) for (dx, dy, r) in
                    ((0.80, 0.66, 0.095), (0.88, 0.62, 0.08),
                     (0.73, 0.69, 0.07), (0.93, 0.69, 0.06),
                     (0.85, 0.70, 0.07))])
    c.add(cloud, dust, 0.6)
    c.add(intersect(cloud, lambda x, y: y < 0.63 * h), WHITE, 0.25)
    for (dx, dy, r) in ((0.70, 0.56, 0.02), (0.95, 0.52, 0.015),
                        (0.78, 0.48, 0.012), (0.90, 0.45, 0.01)):
        c.add(circle(dx * w, dy * h, r * w), dust, 0.7)

    # broom: handle leaning to the upper left, bristles on the floor
    hx0, hy0 = 0.22 * w, 0.06 * h
    hx1, hy1 = 0.55 * w, 0.60 * h
    c.add(segment(hx0, hy0, hx1, hy1, 0.045 * w),
          dgrad(hx0, hy0, (200, 120, 60), hx1, hy1, (140, 74, 30)))
    c.add(segment(hx0, hy0, hx1, hy1, 0.016 * w), (235, 170, 110), 0.6)
    # binding
    c.add(polygon([(0.50 * w, 0.55 * h), (0.60 * w, 0.55 * h),
                   (0.61 * w, 0.62 * h), (0.49 * w, 0.62 * h)]),
          (180, 40, 40))
    # bristles: a fan from the binding down to the floor
    bristles = polygon([(0.49 * w, 0.62 * h), (0.61 * w, 0.62 * h),
                        (0.74 * w, floor_y + 0.02 * h),
                        (0.38 * w, floor_y + 0.02 * h)])
    c.add(bristles, vgrad(0.62 * h, (240, 200, 90), floor_y,
                          (205, 150, 40)))
    for i in range(9):
        t = i / 8.0
        x_top = 0.50 * w + t * 0.10 * w
        x_bot = 0.40 * w + t * 0.32 * w
        c.add(segment(x_top, 0.63 * h, x_bot, floor_y, 0.8),
              (170, 115, 30), 0.7)

    # sparkles over the clean floor
    for (sx, sy, r) in ((0.12 * w, 0.52 * h, 0.07 * h),
                        (0.26 * w, 0.80 * h, 0.05 * h),
                        (0.08 * w, 0.86 * h, 0.04 * h),
                        (0.33 * w, 0.40 * h, 0.04 * h)):
        c.add(star(sx, sy, r, r * 0.28), (255, 250, 210))
        c.add(star(sx, sy, r * 0.55, r * 0.15, turn=math.pi / 4),
              (255, 255, 255), 0.8)

    # a white mat with a thin frame inside it: the page centres the picture
    # in a larger field and fills the rest with the top-left pixel's colour,
    # so the mat simply grows with the field
    c.add(minus(rect(0, 0, w, h), rect(2, 2, w - 2, h - 2)), WHITE)
    c.add(minus(rect(2, 2, w - 2, h - 2), rect(3, 3, w - 3, h - 3)),
          (90, 110, 140))
    return c.render()


def draw_glimso(s):
    """Viewer icon: a sheet of fixed-width text lines with a magnifying
    glass held over it - a look into a file."""
    c = Canvas(s, s)
    k = s / 32.0
    # the sheet, its top-right corner folded
    x0, y0, x1, y1, fold = 3 * k, 2 * k, 24 * k, 29 * k, 6 * k
    sheet = polygon([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1),
                     (x0, y1)])
    c.add(sheet, (70, 80, 100))
    inner = polygon([(x0 + k, y0 + k), (x1 - fold - 0.4 * k, y0 + k),
                     (x1 - k, y0 + fold + 0.4 * k), (x1 - k, y1 - k),
                     (x0 + k, y1 - k)])
    c.add(inner, vgrad(y0, (255, 255, 255), y1, (228, 232, 240)))
    c.add(polygon([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)]),
          (190, 198, 214))
    # rows of text, each cut at the same column; gaps stand for blanks
    step = max(2.0, 3.0 * k)
    y = y0 + 4 * k
    row = 0
    while y < y1 - 3 * k:
        right = x1 - (fold + 2 * k if y < y0 + fold + k else 3 * k)
        gap = x0 + (5 + 4 * (row % 3)) * k
        c.add(rect(x0 + 3 * k, y, min(gap, right), y + max(1.0, 1.2 * k)),
              (40, 60, 110))
        if gap + 2 * k < right:
            c.add(rect(gap + 1.5 * k, y, right, y + max(1.0, 1.2 * k)),
                  (40, 60, 110))
        y += step
        row += 1
    # the lens, lower right, with a dark handle
    cx, cy, r = 20 * k, 19 * k, 7.5 * k
    c.add(segment(cx + 0.7 * r, cy + 0.7 * r, 30 * k, 30 * k, 3.6 * k),
          (90, 50, 20))
    c.add(circle(cx, cy, r), (30, 40, 60))
    c.add(circle(cx, cy, r - max(1.0, 1.6 * k)), (150, 200, 245), 0.55)
    c.add(intersect(circle(cx, cy, r - max(1.0, 1.6 * k)),
                    circle(cx - 2.5 * k, cy - 2.5 * k, 2.5 * k)), WHITE, 0.7)
    return c.render()


def person(s):
    """Head and shoulders, centred in a badge of side s."""
    head = circle(0.5 * s, 0.38 * s, 0.17 * s)
    body = intersect(ellipse(0.5 * s, 0.92 * s, 0.30 * s, 0.26 * s),
                     rect(0, 0, s, 0.86 * s))
    return head, body


def draw_tray(s, base, dark, masked):
    """Tray badge: coloured disc with a white head and shoulders; the alias
    form wears a dark eye mask."""
    c = Canvas(s, s)
    k = s / 32.0
    disc = circle(0.5 * s, 0.5 * s, 0.48 * s)
    c.add(disc, dark)
    c.add(circle(0.5 * s, 0.5 * s, 0.48 * s - max(1.0, 1.3 * k)),
          dgrad(0, 0, tuple(min(255, v + 60) for v in base), s, s, base))
    head, body = person(s)
    c.add(intersect(disc, union(head, body)), WHITE)
    if masked:
        band = intersect(head, rect(0, 0.31 * s, s, 0.42 * s))
        c.add(band, (30, 30, 30))
        c.add(union(ellipse(0.43 * s, 0.365 * s, 0.04 * s, 0.03 * s),
                    ellipse(0.57 * s, 0.365 * s, 0.04 * s, 0.03 * s)),
              WHITE)
    return c.render()


def draw_vesko(s):
    """The tray companion's own icon: a badge resting on a strip of the
    taskbar, its left half green (alias) and right half red (real name),
    with the white head and shoulders of the tray icons."""
    c = Canvas(s, s)
    k = s / 32.0
    strip = round_rect(0.5 * k, 20 * k, 31.5 * k, 31 * k, 2.5 * k)
    c.add(strip, (40, 48, 70))
    c.add(round_rect(1.5 * k, 21 * k, 30.5 * k, 30 * k, 1.8 * k),
          vgrad(21 * k, (120, 132, 160), 30 * k, (70, 80, 105)))
    cx, cy, r = 0.5 * s, 0.42 * s, 0.40 * s
    disc = circle(cx, cy, r)
    face = circle(cx, cy, r - max(1.0, 1.3 * k))
    c.add(disc, (25, 25, 30))
    c.add(intersect(face, lambda x, y: x < cx), (40, 160, 50))
    c.add(intersect(face, lambda x, y: x >= cx), (210, 35, 35))
    head = circle(cx, cy - 0.10 * s, 0.14 * s)
    body = intersect(ellipse(cx, cy + 0.36 * s, 0.25 * s, 0.22 * s),
                     rect(0, 0, s, cy + 0.30 * s))
    c.add(intersect(face, union(head, body)), WHITE)
    return c.render()


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", default=os.path.dirname(here),
                    help="project root to write into (default: this repo)")
    args = ap.parse_args()
    root = args.out

    write(os.path.join(root, "mopwell", "res", "tabs1.ico"),
          ico_bytes([draw_tabs1(32), draw_tabs1(16)]))
    write(os.path.join(root, "mopwell", "res", "clean.bmp"),
          bmp24_bytes(draw_clean_bitmap(144, 112)))
    write(os.path.join(root, "glimso", "res", "glimso.ico"),
          ico_bytes([draw_glimso(32), draw_glimso(16)]))
    red, red_dark = (200, 30, 30), (110, 10, 10)
    green, green_dark = (30, 150, 40), (10, 80, 20)
    write(os.path.join(root, "vesko", "res", "vesko_real.ico"),
          ico_bytes([draw_tray(32, red, red_dark, False),
                     draw_tray(16, red, red_dark, False)]))
    write(os.path.join(root, "vesko", "res", "vesko_alias.ico"),
          ico_bytes([draw_tray(32, green, green_dark, True),
                     draw_tray(16, green, green_dark, True)]))
    write(os.path.join(root, "vesko", "res", "vesko.ico"),
          ico_bytes([draw_vesko(32), draw_vesko(16)]))


if __name__ == "__main__":
    main()
