#!/usr/bin/env python3
"""Draws the window's images, each at the three display scales 100%, 150% and 200% from the
same figures (redrawn larger, not stretched):
- tool bar bitmaps 10 to 19 (magenta background): tool10.bmp 16x16, tool10_24.bmp 24x24 and
  tool10_32.bmp 32x32, and so on;
- the validity light of the criterion rows (lit green at left, unlit grey at right, olive
  background): light.bmp 32x16, light_24.bmp 48x24 and light_32.bmp 64x32;
- the About picture (256 colours, magenta background): aboutme.bmp 48x48, aboutme_150.bmp
  72x72 and aboutme_200.bmp 96x96;
- the application icon, corvane.ico: 16, 20, 24, 32, 40, 48, 64, 96, 128 and 256 pixels square;
and the search animation, search.avi (25x25, 8 frames, uncompressed 8-bit AVI with an index).

Run from the repository root: python3 res/makeimages.py res/images
The output is checked in; run again only after changing a drawing."""
import math
import struct
import sys
import zlib

MAGENTA = (255, 0, 255)


def canvas(w, h, fill):
    return [[fill for _ in range(w)] for _ in range(h)]


# The drawing primitives take coordinates on a 16-pixel grid and draw them k times larger
# (k = 1, 1.5 or 2), so that every scale is drawn from the same figures rather than stretched.


def edge(v, k):
    """The pixel edge for grid edge v: rounding halves to even keeps 1.5x drawings symmetric."""
    return int(round(v * k))


def thickness(w, k):
    """Pixels for a stroke of w grid pixels: whole ones, rounded down, to stay sharp."""
    return max(1, int(w * k + 1e-9))


def rect(img, x0, y0, x1, y1, c, k=1):
    """Fills grid pixels x0..x1, y0..y1."""
    for y in range(edge(y0, k), edge(y1 + 1, k)):
        for x in range(edge(x0, k), edge(x1 + 1, k)):
            img[y][x] = c


def outline(img, x0, y0, x1, y1, c, k=1):
    """The border, one grid pixel wide, of the same span as rect."""
    left, top, right, bottom = edge(x0, k), edge(y0, k), edge(x1 + 1, k), edge(y1 + 1, k)
    t = thickness(1, k)
    for y in range(top, bottom):
        for x in range(left, right):
            if x < left + t or x >= right - t or y < top + t or y >= bottom - t:
                img[y][x] = c


def paint(img, c, inside, k=1):
    """Sets the pixels whose centre, in grid pixel coordinates, satisfies inside(gx, gy)."""
    for y in range(len(img)):
        for x in range(len(img[0])):
            if inside((x + 0.5) / k - 0.5, (y + 0.5) / k - 0.5):
                img[y][x] = c


def disc(img, cx, cy, r, c, ring=None, k=1):
    def inside(gx, gy):
        d = math.hypot(gx - cx, gy - cy)
        return ring[0] <= d <= ring[1] if ring is not None else d <= r
    paint(img, c, inside, k)


def line(img, x0, y0, x1, y1, c, width=1, k=1):
    """Stamps along the line, at grid points (x, y), the square of grid pixels x..x+width-1,
    y..y+width-1, scaled and of whole pixels."""
    w = thickness(width, k)
    shift = (width * k - w) / 2
    steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 2 * k) + 1
    for i in range(steps + 1):
        x = x0 + (x1 - x0) * i / steps
        y = y0 + (y1 - y0) * i / steps
        for dy in range(w):
            for dx in range(w):
                xi, yi = int(round(x * k + shift)) + dx, int(round(y * k + shift)) + dy
                if 0 <= yi < len(img) and 0 <= xi < len(img[0]):
                    img[yi][xi] = c


def wedge(img, tip, base, cy, c, k=1):
    """An arrow head pointing along x: tip and base are grid edges, the sides run at 45
    degrees from the tip, symmetric about the grid edge cy."""
    lo, hi = min(tip, base), max(tip, base)
    paint(img, c, lambda gx, gy: lo <= gx + 0.5 <= hi and
          abs(gy + 0.5 - cy) <= abs(gx + 0.5 - tip), k)


def arrow(img, left, c, k=1):
    if left:
        wedge(img, 3, 9, 8, c, k)
        rect(img, 8, 5, 13, 10, c, k)
    else:
        wedge(img, 13, 7, 8, c, k)
        rect(img, 2, 5, 7, 10, c, k)


def magnifier(img, cx, cy, glass, frame, k=1):
    disc(img, cx, cy, 0, frame, ring=(3.2, 4.6), k=k)
    disc(img, cx, cy, 3.1, glass, k=k)
    line(img, cx + 3, cy + 3, cx + 6, cy + 6, frame, 2, k)


def toolbar_images(k=1):
    black, grey, white = (0, 0, 0), (128, 128, 128), (255, 255, 255)
    blue, red, yellow, green = (0, 64, 192), (200, 0, 0), (240, 200, 40), (0, 140, 0)
    n = edge(16, k)
    imgs = []
    # 10: Search, a magnifying glass.
    img = canvas(n, n, MAGENTA)
    magnifier(img, 6, 6, (190, 220, 255), black, k)
    imgs.append(img)
    # 11: Stop, a red octagon with a white bar.
    img = canvas(n, n, MAGENTA)
    disc(img, 7.5, 7.5, 7.2, red, k=k)
    rect(img, 3, 7, 12, 8, white, k)
    imgs.append(img)
    # 12: Forward and 13: Back, green arrows.
    img = canvas(n, n, MAGENTA)
    arrow(img, False, green, k)
    imgs.append(img)
    img = canvas(n, n, MAGENTA)
    arrow(img, True, green, k)
    imgs.append(img)
    # 14: New search, a blank page with a folded corner.
    img = canvas(n, n, MAGENTA)
    rect(img, 3, 1, 12, 14, white, k)
    outline(img, 3, 1, 12, 14, black, k)
    line(img, 9, 1, 12, 4, black, 1, k)
    imgs.append(img)
    # 15: Save, a disk.
    img = canvas(n, n, MAGENTA)
    rect(img, 1, 1, 14, 14, blue, k)
    rect(img, 4, 2, 11, 6, white, k)
    rect(img, 4, 10, 11, 14, grey, k)
    outline(img, 1, 1, 14, 14, black, k)
    imgs.append(img)
    # 16: Load, an open folder.
    img = canvas(n, n, MAGENTA)
    rect(img, 1, 4, 6, 5, yellow, k)
    rect(img, 1, 5, 14, 13, yellow, k)
    outline(img, 1, 5, 14, 13, black, k)
    imgs.append(img)
    # 17: Launch the editor, three stacked blocks.
    img = canvas(n, n, MAGENTA)
    for x0, y0, c in ((1, 8, blue), (8, 8, red), (4, 1, green)):
        rect(img, x0, y0, x0 + 6, y0 + 6, c, k)
        outline(img, x0, y0, x0 + 6, y0 + 6, black, k)
    imgs.append(img)
    # 18: Detail, a page with lines of text.
    img = canvas(n, n, MAGENTA)
    rect(img, 2, 1, 13, 14, white, k)
    outline(img, 2, 1, 13, 14, black, k)
    for y in (4, 7, 10):
        line(img, 4, y, 11, y, grey, 1, k)
    imgs.append(img)
    # 19: Export results, a page of lines with a green arrow leaving it to the right.
    img = canvas(n, n, MAGENTA)
    rect(img, 1, 1, 10, 14, white, k)
    outline(img, 1, 1, 10, 14, black, k)
    for y in (4, 7, 10):
        line(img, 3, y, 8, y, grey, 1, k)
    rect(img, 7, 7, 11, 8, green, k)
    wedge(img, 16, 12, 8, green, k)
    imgs.append(img)
    return imgs


OLIVE = (128, 128, 0)


def validity_light(k=1):
    """Two cells of 16 grid pixels: the lit light, then the unlit one."""
    img = canvas(edge(32, k), edge(16, k), OLIVE)
    for left, body, shine in ((0, (0, 176, 0), (120, 240, 120)),
                              (16, (150, 150, 150), (210, 210, 210))):
        disc(img, left + 7, 7, 6.5, (40, 40, 40), k=k)
        disc(img, left + 7, 7, 5.5, body, k=k)
        rect(img, left + 4, 3, left + 6, 5, shine, k)
    return img


def write_bmp(path, img):
    h, w = len(img), len(img[0])
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for r, g, b in img[y]:
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        pixels += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def chunk(fourcc, data):
    pad = b"\0" if len(data) % 2 else b""
    return fourcc + struct.pack("<I", len(data)) + data + pad


def write_avi(path):
    w = h = 25
    stride = (w + 3) & ~3
    palette = [(255, 0, 255), (0, 0, 0), (190, 220, 255), (128, 128, 128)] + [(0, 0, 0)] * 252
    frames = []
    for n in range(8):
        img = canvas(w, h, 0)
        if n == 0:
            cx, cy = 10, 10  # at rest
        else:
            a = 2 * math.pi * (n - 1) / 7
            cx, cy = 11 + 4 * math.cos(a), 11 + 4 * math.sin(a)
        magnifier(img, cx, cy, 2, 1)
        data = bytearray()
        for y in range(h - 1, -1, -1):
            data += bytes(img[y]) + b"\0" * (stride - w)
        frames.append(bytes(data))
    size = stride * h
    avih = struct.pack("<14I", 100000, size * 10, 0, 0x10, len(frames), 0, 1, size, w, h,
                       0, 0, 0, 0)
    strh = struct.pack("<4s4sIHHIIIIIIiI4h", b"vids", b"DIB ", 0, 0, 0, 0, 1, 10, 0,
                       len(frames), size, -1, 0, 0, 0, w, h)
    bih = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, size, 0, 0, 256, 0)
    strf = bih + b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    strl = b"LIST" + struct.pack("<I", 4 + len(chunk(b"strh", strh)) + len(chunk(b"strf", strf)))
    strl += b"strl" + chunk(b"strh", strh) + chunk(b"strf", strf)
    hdrl_body = b"hdrl" + chunk(b"avih", avih) + strl
    hdrl = b"LIST" + struct.pack("<I", len(hdrl_body)) + hdrl_body
    movi_body = b"movi"
    index = b""
    for f in frames:
        index += struct.pack("<4sIII", b"00db", 0x10, len(movi_body), len(f))
        movi_body += chunk(b"00db", f)
    movi = b"LIST" + struct.pack("<I", len(movi_body)) + movi_body
    body = b"AVI " + hdrl + movi + chunk(b"idx1", index)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)


def emblem(size, background):
    """The program's picture: three registry blocks under a magnifying glass."""
    black, white = (0, 0, 0), (255, 255, 255)
    blue, red, green = (0, 64, 192), (200, 0, 0), (0, 140, 0)
    glass = (190, 220, 255)
    img = canvas(size, size, background)
    u = size / 16.0

    def s(v):
        return int(round(v * u))

    for x0, y0, c in ((0.5, 8.5, blue), (7.5, 8.5, red), (4, 1.5, green)):
        rect(img, s(x0), s(y0), s(x0 + 6) - 1, s(y0 + 6) - 1, c)
        outline(img, s(x0), s(y0), s(x0 + 6) - 1, s(y0 + 6) - 1, black)
    cx, cy, r = 10.5 * u, 9.5 * u, 3.6 * u
    disc(img, cx, cy, r + 0.5, glass)
    disc(img, cx, cy, 0, black, ring=(r, r + max(1.5, 1.2 * u)))
    disc(img, cx - r / 3, cy - r / 3, r / 4, white)
    line(img, cx + r * 0.75, cy + r * 0.75, size - 1.5 * u, size - 1.5 * u, black,
         max(2, s(1.6)))
    return img


def write_bmp8(path, img):
    h, w = len(img), len(img[0])
    palette = []
    for row in img:
        for c in row:
            if c not in palette:
                palette.append(c)
    assert len(palette) <= 256
    palette += [(0, 0, 0)] * (256 - len(palette))
    index = {c: i for i, c in enumerate(palette)}
    stride = (w + 3) & ~3
    pixels = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytes(index[c] for c in img[y])
        pixels += row + b"\0" * (stride - w)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 54 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    with open(path, "wb") as f:
        f.write(header + info + table + pixels)


def png(img):
    """A PNG file of 8-bit RGBA; None pixels are transparent."""
    def block(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data))
    raw = bytearray()
    for row in img:
        raw += b"\0"  # no filter
        for c in row:
            raw += bytes((0, 0, 0, 0)) if c is None else bytes((c[0], c[1], c[2], 255))
    header = struct.pack(">IIBBBBB", len(img[0]), len(img), 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + block(b"IHDR", header) +
            block(b"IDAT", zlib.compress(bytes(raw), 9)) + block(b"IEND", b""))


def write_ico(path, images):
    """An icon file of 32-bit images; None pixels are transparent. The 256-pixel image is
    stored as PNG, which is what the system expects at that size (and a twentieth of the
    bytes); the directory writes its size as 0."""
    entries, blobs = b"", b""
    offset = 6 + 16 * len(images)
    for img in images:
        n = len(img)
        if n >= 256:
            blob = png(img)
        else:
            xor = bytearray()
            mask_stride = ((n + 31) // 32) * 4
            mask = bytearray()
            for y in range(n - 1, -1, -1):
                row_mask = bytearray(mask_stride)
                for x, c in enumerate(img[y]):
                    if c is None:
                        xor += b"\0\0\0\0"
                        row_mask[x // 8] |= 0x80 >> (x % 8)
                    else:
                        xor += bytes((c[2], c[1], c[0], 255))
                mask += row_mask
            info = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(xor) + len(mask),
                               0, 0, 0, 0)
            blob = info + xor + mask
        entries += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs += blob
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)) + entries + blobs)


# The three display scales: factor and file name suffixes of the tool bar images and the
# light (by pixel size), and of the About picture (by percentage).
SCALES = ((1, "", ""), (1.5, "_24", "_150"), (2, "_32", "_200"))
ICON_SIZES = (256, 128, 96, 64, 48, 40, 32, 24, 20, 16)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "res/images"
    for k, size, percent in SCALES:
        for i, img in enumerate(toolbar_images(k)):
            write_bmp(f"{out}/tool{10 + i}{size}.bmp", img)
        write_bmp(f"{out}/light{size}.bmp", validity_light(k))
        write_bmp8(f"{out}/aboutme{percent}.bmp", emblem(edge(48, k), MAGENTA))
    write_avi(f"{out}/search.avi")
    write_ico(f"{out}/corvane.ico", [emblem(n, None) for n in ICON_SIZES])


if __name__ == "__main__":
    main()
