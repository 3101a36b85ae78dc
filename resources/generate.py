#!/usr/bin/env python3
"""Draws Keldra Maintenance's icons, banner and scan clip and writes them in their Windows
formats: aaa.ico, tray.ico, imregerror.ico, banner.bmp (with banner_144.bmp and
banner_192.bmp for those DPIs) and cpuscan.avi beside this script.

imregerror.ico (resource "IMREGERROR") is the row icon of the registry problem list: a red
disc with a white cross, 16 x 16 and 32 x 32 pixels, 32-bit with transparency.

    python3 resources/generate.py [--preview DIR]

Needs Python 3 and, for the banner's lettering only, ImageMagick's `convert` with the DejaVu
fonts (Debian: fonts-dejavu-core). The outputs are committed, so the build never runs this.
--preview also writes every picture as PNG (enlarged copies of the small ones) into DIR.
"""

import argparse
import math
import os
import shutil
import struct
import subprocess
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
FONT_DIR = "/usr/share/fonts/truetype/dejavu"

# Product colours.
BLUE_LIGHT = (0x4D, 0xA3, 0xF5)
BLUE_DARK = (0x12, 0x56, 0xC4)
BLUE_EDGE = (0x0A, 0x3A, 0x8C)
WHITE = (0xFF, 0xFF, 0xFF)


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


# --- Drawing: shapes are signed distance functions in pixels (negative inside), which gives
# --- anti-aliased edges from one sample per pixel.


class Canvas:
    """Straight-alpha RGBA picture, channels as floats: colour 0..255, alpha 0..1."""

    def __init__(self, w, h, fill=None):
        self.w, self.h = w, h
        if fill is None:
            self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]
        else:
            self.px = [[float(fill[0]), float(fill[1]), float(fill[2]), 1.0] for _ in range(w * h)]

    def paint(self, sdf, color, opacity=1.0):
        """Lays a shape over the picture. color is an (r, g, b) or a function of (x, y)."""
        const = not callable(color)
        for y in range(self.h):
            cy = y + 0.5
            row = y * self.w
            for x in range(self.w):
                cx = x + 0.5
                cov = clamp(0.5 - sdf(cx, cy)) * opacity
                if cov <= 0.0:
                    continue
                c = color if const else color(cx, cy)
                p = self.px[row + x]
                da = p[3] * (1.0 - cov)
                a = cov + da
                p[0] = (c[0] * cov + p[0] * da) / a
                p[1] = (c[1] * cov + p[1] * da) / a
                p[2] = (c[2] * cov + p[2] * da) / a
                p[3] = a

    def blit(self, other, ox, oy):
        """Lays another canvas over this one at (ox, oy)."""
        for y in range(other.h):
            for x in range(other.w):
                s = other.px[y * other.w + x]
                tx, ty = x + ox, y + oy
                if s[3] <= 0.0 or not (0 <= tx < self.w and 0 <= ty < self.h):
                    continue
                p = self.px[ty * self.w + tx]
                da = p[3] * (1.0 - s[3])
                a = s[3] + da
                for i in range(3):
                    p[i] = (s[i] * s[3] + p[i] * da) / a
                p[3] = a

    def rgba8(self):
        """Pixels as (r, g, b, a) byte tuples, top row first."""
        out = []
        for r, g, b, a in self.px:
            out.append((round(clamp(r, 0, 255)), round(clamp(g, 0, 255)), round(clamp(b, 0, 255)),
                        round(clamp(a) * 255)))
        return out


def sdf_circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def sdf_stroke(points, width):
    """Polyline with round caps and joins."""
    segs = list(zip(points, points[1:]))
    half = width / 2.0
    return lambda x, y: min(seg_dist(x, y, a[0], a[1], b[0], b[1]) for a, b in segs) - half


def sdf_polygon(points):
    edges = list(zip(points, points[1:] + points[:1]))

    def f(x, y):
        d = min(seg_dist(x, y, a[0], a[1], b[0], b[1]) for a, b in edges)
        inside = False
        for (ax, ay), (bx, by) in edges:
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
        return -d if inside else d

    return f


def sdf_round_rect(cx, cy, hw, hh, r):
    def f(x, y):
        qx = abs(x - cx) - hw + r
        qy = abs(y - cy) - hh + r
        return math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0) - r

    return f


def grow(sdf, by):
    """The shape made larger (by > 0) or smaller (by < 0) on every side."""
    return lambda x, y: sdf(x, y) - by


def cubic(p0, p1, p2, p3, n):
    pts = []
    for i in range(1, n + 1):
        t = i / n
        u = 1 - t
        w = (u * u * u, 3 * u * u * t, 3 * u * t * t, t * t * t)
        pts.append((sum(k * p[0] for k, p in zip(w, (p0, p1, p2, p3))),
                    sum(k * p[1] for k, p in zip(w, (p0, p1, p2, p3)))))
    return pts


# --- The product mark: a blue shield with a white check mark.


def shield_outline():
    """The shield in a unit square (y down), before its corners are rounded."""
    right = [(0.5, 0.055), (0.88, 0.19), (0.88, 0.47)]
    right += cubic((0.88, 0.47), (0.88, 0.72), (0.71, 0.89), (0.5, 0.955), 24)
    left = [(1.0 - x, y) for x, y in reversed(right[1:-1])]
    return right + left


def shield_sdf(size, rounding):
    """The shield at size pixels: its outline drawn smaller by the rounding, then grown back,
    which rounds the corners."""
    k = 1.0 - 2.0 * rounding / (0.76 * size)
    cx, cy = 0.5 * size, 0.51 * size
    pts = [(cx + (x * size - cx) * k, cy + (y * size - cy) * k) for x, y in shield_outline()]
    return grow(sdf_polygon(pts), rounding)


# Per size: border width, rounding and check-mark stroke, in pixels, tuned so the 16 px
# picture stays crisp.
MARK_TUNING = {
    16: dict(border=1.0, round=0.9, check=2.0,
             check_pts=((4.5, 8.3), (6.7, 10.5), (11.5, 5.7))),
    32: dict(border=1.35, round=1.6, check=3.7,
             check_pts=((9.4, 16.4), (14.1, 21.1), (23.0, 11.6))),
    48: dict(border=1.7, round=2.2, check=5.4,
             check_pts=((14.0, 24.6), (21.1, 31.7), (34.6, 17.3))),
}


def mark_tuning(size):
    if size in MARK_TUNING:
        return MARK_TUNING[size]
    k = size / 48.0
    t = MARK_TUNING[48]
    return dict(border=t["border"] * k, round=t["round"] * k, check=t["check"] * k,
                check_pts=tuple((x * k, y * k) for x, y in t["check_pts"]))


def draw_mark(size):
    """The shield at size x size pixels, transparent around it."""
    t = mark_tuning(size)
    c = Canvas(size, size)
    body = shield_sdf(size, t["round"])

    def fill(x, y):
        v = clamp((y / size - 0.08) / 0.86)
        col = mix(BLUE_LIGHT, BLUE_DARK, v)
        # The right half a shade darker, as if lit from the left.
        side = clamp((x - size * 0.5) / max(1.0, size / 40.0) + 0.5)
        return mix(col, mix(col, BLUE_EDGE, 0.28), side)

    c.paint(body, BLUE_EDGE)
    c.paint(grow(body, -t["border"]), fill)
    # A soft sheen across the top third gives the flat shape some depth.
    if size >= 32:
        sheen = sdf_circle(size * 0.5, -size * 0.55, size * 0.93)
        inner = grow(body, -t["border"])
        c.paint(lambda x, y: max(sheen(x, y), inner(x, y)), WHITE, opacity=0.16)
    pts = t["check_pts"]
    if size >= 32:
        shadow = [(x + size / 48.0, y + size / 32.0) for x, y in pts]
        c.paint(sdf_stroke(shadow, t["check"]), BLUE_EDGE, opacity=0.45)
    c.paint(sdf_stroke(list(pts), t["check"]), WHITE)
    return c


# --- The registry problem rows' icon: a red disc with a white cross.

RED_LIGHT = (0xF2, 0x5A, 0x4E)
RED_DARK = (0xC4, 0x1E, 0x16)
RED_EDGE = (0x8C, 0x10, 0x0A)

# Per size: disc radius and border, cross arm reach from the centre and stroke, in pixels;
# the 16 px picture keeps its cross on whole pixels.
ERROR_TUNING = {
    16: dict(radius=7.3, border=1.0, reach=2.9, stroke=1.9),
    32: dict(radius=14.6, border=1.4, reach=5.6, stroke=3.4),
}


def draw_error_mark(size):
    t = ERROR_TUNING[size]
    c = Canvas(size, size)
    cx = cy = size / 2.0
    disc = sdf_circle(cx, cy, t["radius"])

    def fill(x, y):
        # Lit from the upper left.
        v = clamp(((x - cx) + (y - cy)) / (4.0 * t["radius"]) + 0.5)
        return mix(RED_LIGHT, RED_DARK, v)

    c.paint(disc, RED_EDGE)
    c.paint(grow(disc, -t["border"]), fill)
    r = t["reach"]
    c.paint(sdf_stroke([(cx - r, cy - r), (cx + r, cy + r)], t["stroke"]), WHITE)
    c.paint(sdf_stroke([(cx - r, cy + r), (cx + r, cy - r)], t["stroke"]), WHITE)
    return c


# --- Colour reduction for the 256-colour pictures.


def median_cut(counts, n):
    """Up to n colours representing the given {(r, g, b): count}."""
    boxes = [list(counts.items())]
    while len(boxes) < n:
        best, best_i, best_ch = -1, None, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for ch in range(3):
                vals = [c[ch] for c, _ in box]
                spread = (max(vals) - min(vals)) * math.sqrt(sum(k for _, k in box))
                if spread > best:
                    best, best_i, best_ch = spread, i, ch
        if best_i is None:
            break
        box = sorted(boxes.pop(best_i), key=lambda e: e[0][best_ch])
        total = sum(k for _, k in box)
        acc, cut = 0, 1
        for j, (_, k) in enumerate(box):
            acc += k
            if acc * 2 >= total:
                cut = min(max(j + 1, 1), len(box) - 1)
                break
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(k for _, k in box)
        palette.append(tuple(round(sum(c[ch] * k for c, k in box) / total) for ch in range(3)))
    return palette


def nearest(palette, c, cache):
    hit = cache.get(c)
    if hit is None:
        hit = min(range(len(palette)),
                  key=lambda i: (palette[i][0] - c[0]) ** 2 * 3 + (palette[i][1] - c[1]) ** 2 * 4 +
                  (palette[i][2] - c[2]) ** 2 * 2)
        cache[c] = hit
    return hit


# --- File formats, written by hand.


def icon_image_32(canvas):
    w, h = canvas.w, canvas.h
    px = canvas.rgba8()
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b, a = px[y * w + x]
            xor += bytes((b, g, r, a)) if a else b"\0\0\0\0"
    mask = and_mask(w, h, lambda x, y: px[y * w + x][3] == 0)
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + mask


def and_mask(w, h, transparent):
    stride = ((w + 31) // 32) * 4
    out = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            if transparent(x, y):
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def icon_image_8(canvas, matte=(0xC8, 0xD0, 0xDC)):
    """256-colour copy: half-covered edge pixels are blended onto a light grey-blue, the rest
    become transparent through the mask."""
    w, h = canvas.w, canvas.h
    px = canvas.rgba8()
    solid = {}
    colors = []
    for r, g, b, a in px:
        if a < 128:
            colors.append(None)
            continue
        t = a / 255.0
        c = tuple(round(s * t + m * (1 - t)) for s, m in zip((r, g, b), matte))
        colors.append(c)
        solid[c] = solid.get(c, 0) + 1
    # Index 0 is black: transparent pixels must be black under the mask.
    palette = [(0, 0, 0)] + median_cut(solid, 255)
    palette += [(0, 0, 0)] * (256 - len(palette))
    cache = {}
    stride = (w + 3) & ~3
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            c = colors[y * w + x]
            if c is not None:
                row[x] = 1 + nearest(palette[1:], c, cache)
        xor += row
    mask = and_mask(w, h, lambda x, y: colors[y * w + x] is None)
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 8, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + pal + bytes(xor) + mask


def write_ico(path, images):
    """images: (width, height, bit count, image bytes) in directory order."""
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for w, h, bits, data in images:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, bits, len(data), offset)
        offset += len(data)
    for _, _, _, data in images:
        out += data
    save(path, bytes(out))


def write_bmp24(path, canvas):
    w, h = canvas.w, canvas.h
    px = canvas.rgba8()
    stride = (w * 3 + 3) & ~3
    bits = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b, _ = px[y * w + x]
            row += bytes((b, g, r))
        bits += row + bytes(stride - len(row))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(bits), 3780, 3780, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(bits), 0, 0, 14 + len(info))
    save(path, head + info + bytes(bits))


def chunk(fourcc, data):
    pad = b"\0" if len(data) % 2 else b""
    return fourcc + struct.pack("<I", len(data)) + data + pad


def riff_list(kind, fourcc, data):
    return chunk(kind, fourcc + data)


def write_avi(path, frames, fps):
    """Uncompressed 8-bit AVI, one video stream, no sound: what the animation control plays."""
    w, h = frames[0].w, frames[0].h
    pixels = [f.rgba8() for f in frames]
    counts = {}
    for px in pixels:
        for r, g, b, _ in px:
            counts[(r, g, b)] = counts.get((r, g, b), 0) + 1
    palette = median_cut(counts, 256)
    palette += [(0, 0, 0)] * (256 - len(palette))
    cache = {}
    stride = (w + 3) & ~3
    frame_bytes = []
    for px in pixels:
        data = bytearray()
        for y in range(h - 1, -1, -1):
            row = bytearray(stride)
            for x in range(w):
                r, g, b, _ = px[y * w + x]
                row[x] = nearest(palette, (r, g, b), cache)
            data += row
        frame_bytes.append(bytes(data))
    size = stride * h
    usec = round(1_000_000 / fps)
    avih = struct.pack("<14I", usec, size * fps, 0, 0x10, len(frames), 0, 1, size, w, h, 0, 0, 0, 0)
    strh = struct.pack("<4s4sIHHIIIIIIIIhhhh", b"vids", b"DIB ", 0, 0, 0, 0, 1, fps, 0, len(frames),
                       size, 0xFFFFFFFF, 0, 0, 0, w, h)
    bih = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, size, 0, 0, 256, 0)
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    hdrl = riff_list(b"LIST", b"hdrl", chunk(b"avih", avih) +
                     riff_list(b"LIST", b"strl", chunk(b"strh", strh) + chunk(b"strf", bih + pal)))
    movi_data = b""
    index = b""
    for data in frame_bytes:
        # Offsets count from the 'movi' type code.
        index += struct.pack("<4sIII", b"00db", 0x10, 4 + len(movi_data), len(data))
        movi_data += chunk(b"00db", data)
    movi = riff_list(b"LIST", b"movi", movi_data)
    save(path, riff_list(b"RIFF", b"AVI ", hdrl + movi + chunk(b"idx1", index)))


def write_png(path, canvas, scale=1, backdrop=None):
    """For --preview only."""
    px = canvas.rgba8()
    raw = bytearray()
    for y in range(canvas.h * scale):
        raw.append(0)
        for x in range(canvas.w * scale):
            r, g, b, a = px[(y // scale) * canvas.w + x // scale]
            if backdrop is not None:
                bg = backdrop(x, y)
                t = a / 255.0
                r, g, b, a = (round(r * t + bg[0] * (1 - t)), round(g * t + bg[1] * (1 - t)),
                              round(b * t + bg[2] * (1 - t)), 255)
            raw += bytes((r, g, b, a))

    def png_chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", canvas.w * scale, canvas.h * scale, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", ihdr) +
                png_chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + png_chunk(b"IEND", b""))


def save(path, data):
    with open(path, "wb") as f:
        f.write(data)
    print(f"wrote {os.path.relpath(path)} ({len(data)} bytes)")


# --- The banner.


def text_mask(w, h, font, points, x, y, text, blur=0.0):
    """Coverage of lettering drawn by ImageMagick, one float per pixel."""
    convert = shutil.which("convert")
    if convert is None:
        sys.exit("generate.py: the banner needs ImageMagick's convert")
    cmd = [convert, "-size", f"{w}x{h}", "xc:black", "-font", os.path.join(FONT_DIR, font),
           "-pointsize", str(points), "-fill", "white", "-annotate", f"+{x}+{y}", text]
    if blur:
        cmd += ["-blur", f"0x{blur}"]
    cmd += ["-depth", "8", "gray:-"]
    data = subprocess.run(cmd, check=True, stdout=subprocess.PIPE).stdout
    if len(data) != w * h:
        sys.exit(f"generate.py: convert returned {len(data)} bytes, not {w * h}")
    return [v / 255.0 for v in data]


def lay_mask(canvas, mask, color, opacity=1.0):
    for i, m in enumerate(mask):
        cov = m * opacity
        if cov <= 0.0:
            continue
        p = canvas.px[i]
        for ch in range(3):
            p[ch] = p[ch] * (1 - cov) + color[ch] * cov


# The banner sits in a picture control of 7,200 x 1,410 twips (480 x 94 pixels at 96 DPI)
# that every window places at its own offset: the welcome window, the narrowest at 5,085
# twips (339 px), shows it from row 34 down, the scheduler from row 14. So the shield and
# the whole name stay within 339 x 58 px at the lower left; the rings reach beyond.
BANNER_DPIS = (96, 144, 192)


def draw_banner(dpi=96):
    s = dpi / 96.0
    w, h = round(480 * s), round(94 * s)
    top, bottom = (0x1A, 0x6C, 0xD6), (0x0C, 0x3F, 0x8F)
    c = Canvas(w, h, fill=top)

    def bg(x, y):
        # Darker towards the lower left, lighter towards the upper right.
        t = clamp(0.55 * (y / h) + 0.45 * (1 - x / w))
        return mix(top, bottom, t)

    c.paint(lambda x, y: -1.0, bg)
    # Large faint rings on the right: a quiet echo of the scan clip.
    for r, op in ((150, 0.07), (112, 0.06), (74, 0.05)):
        ring = sdf_circle(w - 40 * s, h + 30 * s, r * s)
        c.paint(lambda x, y, ring=ring: abs(ring(x, y)) - 9.0 * s, WHITE, opacity=op)
    # A thin light line along the bottom edge separates the header from the window.
    c.paint(lambda x, y: (h - 2.0 * s) - y, (0x7F, 0xC4, 0xFF), opacity=0.55)
    # The shield, drawn at this size from its outline, on a soft light that lifts it.
    size = round(44 * s)
    left, upper = round(14 * s), round(41 * s)
    glow = sdf_circle(left + size / 2, upper + size / 2, 16 * s)
    c.paint(lambda x, y: 0.5 - clamp(1.0 - max(0.0, glow(x, y)) / (20.0 * s)) ** 2, WHITE,
            opacity=0.3)
    mark = draw_mark(size)
    shadow = Canvas(size, size)
    shadow.paint(grow(shield_sdf(size, mark_tuning(size)["round"]), 1.5 * s),
                 (0x05, 0x20, 0x50), opacity=0.30)
    c.blit(shadow, left + 1, upper + round(2 * s))
    c.blit(mark, left, upper)
    x, base = round(68 * s), round(64 * s)
    name = "Keldra Maintenance"
    name_shadow = text_mask(w, h, "DejaVuSans-Bold.ttf", 21 * s, x + 1, base + round(2 * s),
                            name, blur=1.4 * s)
    lay_mask(c, name_shadow, (0x04, 0x1C, 0x46), opacity=0.55)
    lay_mask(c, text_mask(w, h, "DejaVuSans-Bold.ttf", 21 * s, x, base, name), WHITE)
    tagline = "Free memory, clean the registry, clear junk files."
    lay_mask(c, text_mask(w, h, "DejaVuSans.ttf", 10 * s, x + round(1 * s), round(83 * s),
                          tagline), (0xD6, 0xE8, 0xFF))
    return c


# --- The scan clip: a comet circling a processor chip.

CLIP_SIZE = 41
CLIP_FRAMES = 12
CLIP_FPS = 10
CLIP_BG = (0xFF, 0xFF, 0xFF)


def draw_clip_frame(i):
    s = CLIP_SIZE
    cx = cy = s / 2.0
    c = Canvas(s, s, fill=CLIP_BG)
    radius, width = 16.0, 3.6

    def ring(x, y):
        return abs(math.hypot(x - cx, y - cy) - radius) - width / 2

    c.paint(ring, (0xDD, 0xE7, 0xF3))
    # One turn over the whole clip, so that the last frame leads back into the first.
    head = 2 * math.pi * i / CLIP_FRAMES
    span = math.radians(200)

    def behind_head(x, y):
        ang = math.atan2(x - cx, -(y - cy))  # clockwise from the top
        return (head - ang) % (2 * math.pi)

    def comet_color(x, y):
        return mix((0x9C, 0xC8, 0xF6), BLUE_DARK, 1 - behind_head(x, y) / span)

    def comet_sdf(x, y):
        behind = behind_head(x, y)
        if behind > span:
            return 9.0
        # The tail thins out towards its end: the distance grows with the angle behind the head.
        return ring(x, y) + behind / span * (width * 0.9)

    c.paint(comet_sdf, comet_color)
    hx, hy = cx + radius * math.sin(head), cy - radius * math.cos(head)
    c.paint(sdf_circle(hx, hy, width / 2 + 0.35), BLUE_DARK)
    # The chip: a rounded square with three pins a side and a lighter core.
    for k in (-3.0, 0.0, 3.0):
        for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            ax, ay = cx + dx * 6.0 + dy * k, cy + dy * 6.0 + dx * k
            bx, by = cx + dx * 8.6 + dy * k, cy + dy * 8.6 + dx * k
            c.paint(sdf_stroke([(ax, ay), (bx, by)], 1.3), (0x6E, 0x8F, 0xB8))
    c.paint(sdf_round_rect(cx, cy, 6.6, 6.6, 1.8), (0x1D, 0x4E, 0x9E))
    # The core lights up as the comet passes over the top.
    glow = 0.5 + 0.5 * math.cos(head)
    core = mix((0x3F, 0x86, 0xE0), (0x8E, 0xD0, 0xFF), glow)
    c.paint(sdf_round_rect(cx, cy, 3.2, 3.2, 0.9), core)
    return c


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--preview", metavar="DIR", help="also write PNG copies into DIR")
    args = parser.parse_args()

    marks = {size: draw_mark(size) for size in (48, 32, 16)}
    write_ico(os.path.join(HERE, "aaa.ico"),
              [(s, s, 32, icon_image_32(marks[s])) for s in (48, 32, 16)] +
              [(s, s, 8, icon_image_8(marks[s])) for s in (48, 32, 16)])
    write_ico(os.path.join(HERE, "tray.ico"),
              [(s, s, 32, icon_image_32(marks[s])) for s in (32, 16)])
    errors = {size: draw_error_mark(size) for size in (32, 16)}
    write_ico(os.path.join(HERE, "imregerror.ico"),
              [(s, s, 32, icon_image_32(errors[s])) for s in (32, 16)])
    banners = {dpi: draw_banner(dpi) for dpi in BANNER_DPIS}
    for dpi, banner in banners.items():
        suffix = "" if dpi == 96 else f"_{dpi}"
        write_bmp24(os.path.join(HERE, f"banner{suffix}.bmp"), banner)
    frames = [draw_clip_frame(i) for i in range(CLIP_FRAMES)]
    write_avi(os.path.join(HERE, "cpuscan.avi"), frames, CLIP_FPS)

    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        light = lambda x, y: (0xF0, 0xF0, 0xF0)
        dark = lambda x, y: (0x20, 0x20, 0x20)
        for s, m in errors.items():
            write_png(os.path.join(args.preview, f"error{s}.png"), m, 8, light)
        for s, m in marks.items():
            write_png(os.path.join(args.preview, f"mark{s}.png"), m, 8, light)
            write_png(os.path.join(args.preview, f"mark{s}_dark.png"), m, 8, dark)
            write_png(os.path.join(args.preview, f"mark{s}_1x.png"), m, 1, light)
        for dpi, banner in banners.items():
            write_png(os.path.join(args.preview, f"banner{dpi}.png"), banner, 1)
        for i, f in enumerate(frames):
            write_png(os.path.join(args.preview, f"clip{i:02}.png"), f, 6)


if __name__ == "__main__":
    main()
