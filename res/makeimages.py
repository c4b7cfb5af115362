#!/usr/bin/env python3
"""Draws the window's images: tool bar bitmaps 10 to 19 (16x16, magenta background), the
validity light of the criterion rows (32x16: lit green at left, unlit grey at right, olive
background), the search animation (25x25, 8 frames, uncompressed 8-bit AVI with an index),
the About picture (48x48, 256 colours, magenta background) and the application icon (32x32
and 16x16).

Run from the repository root: python3 res/makeimages.py res/images
The output is checked in; run again only after changing a drawing."""
import math
import struct
import sys

MAGENTA = (255, 0, 255)


def canvas(w, h, fill):
    return [[fill for _ in range(w)] for _ in range(h)]


def rect(img, x0, y0, x1, y1, c):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            img[y][x] = c


def outline(img, x0, y0, x1, y1, c):
    for x in range(x0, x1 + 1):
        img[y0][x] = c
        img[y1][x] = c
    for y in range(y0, y1 + 1):
        img[y][x0] = c
        img[y][x1] = c


def disc(img, cx, cy, r, c, ring=None):
    for y in range(len(img)):
        for x in range(len(img[0])):
            d = math.hypot(x - cx, y - cy)
            if ring is not None and ring[0] <= d <= ring[1]:
                img[y][x] = c
            elif ring is None and d <= r:
                img[y][x] = c


def line(img, x0, y0, x1, y1, c, width=1):
    steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
    for i in range(steps + 1):
        x = x0 + (x1 - x0) * i / steps
        y = y0 + (y1 - y0) * i / steps
        for dy in range(width):
            for dx in range(width):
                xi, yi = int(round(x)) + dx, int(round(y)) + dy
                if 0 <= yi < len(img) and 0 <= xi < len(img[0]):
                    img[yi][xi] = c


def arrow(img, left, c):
    for i in range(7):
        y0, y1 = 8 - i, 7 + i
        x = 2 + i if left else 13 - i
        for y in range(max(1, y0), min(14, y1) + 1):
            img[y][x] = c
    if left:
        rect(img, 8, 5, 13, 10, c)
    else:
        rect(img, 2, 5, 7, 10, c)


def magnifier(img, cx, cy, glass, frame):
    disc(img, cx, cy, 0, frame, ring=(3.2, 4.6))
    disc(img, cx, cy, 3.1, glass)
    line(img, cx + 3, cy + 3, cx + 6, cy + 6, frame, 2)


def toolbar_images():
    black, grey, white = (0, 0, 0), (128, 128, 128), (255, 255, 255)
    blue, red, yellow, green = (0, 64, 192), (200, 0, 0), (240, 200, 40), (0, 140, 0)
    imgs = []
    # 10: Search, a magnifying glass.
    img = canvas(16, 16, MAGENTA)
    magnifier(img, 6, 6, (190, 220, 255), black)
    imgs.append(img)
    # 11: Stop, a red octagon with a white bar.
    img = canvas(16, 16, MAGENTA)
    disc(img, 7.5, 7.5, 7.2, red)
    rect(img, 3, 7, 12, 8, white)
    imgs.append(img)
    # 12: Forward and 13: Back, green arrows.
    img = canvas(16, 16, MAGENTA)
    arrow(img, False, green)
    imgs.append(img)
    img = canvas(16, 16, MAGENTA)
    arrow(img, True, green)
    imgs.append(img)
    # 14: New search, a blank page with a folded corner.
    img = canvas(16, 16, MAGENTA)
    rect(img, 3, 1, 12, 14, white)
    outline(img, 3, 1, 12, 14, black)
    line(img, 9, 1, 12, 4, black)
    imgs.append(img)
    # 15: Save, a disk.
    img = canvas(16, 16, MAGENTA)
    rect(img, 1, 1, 14, 14, blue)
    rect(img, 4, 2, 11, 6, white)
    rect(img, 4, 10, 11, 14, grey)
    outline(img, 1, 1, 14, 14, black)
    imgs.append(img)
    # 16: Load, an open folder.
    img = canvas(16, 16, MAGENTA)
    rect(img, 1, 4, 6, 5, yellow)
    rect(img, 1, 5, 14, 13, yellow)
    outline(img, 1, 5, 14, 13, black)
    imgs.append(img)
    # 17: Launch the editor, three stacked blocks.
    img = canvas(16, 16, MAGENTA)
    for x0, y0, c in ((1, 8, blue), (8, 8, red), (4, 1, green)):
        rect(img, x0, y0, x0 + 6, y0 + 6, c)
        outline(img, x0, y0, x0 + 6, y0 + 6, black)
    imgs.append(img)
    # 18: Detail, a page with lines of text.
    img = canvas(16, 16, MAGENTA)
    rect(img, 2, 1, 13, 14, white)
    outline(img, 2, 1, 13, 14, black)
    for y in (4, 7, 10):
        line(img, 4, y, 11, y, grey)
    imgs.append(img)
    # 19: Export results, a page of lines with a green arrow leaving it to the right.
    img = canvas(16, 16, MAGENTA)
    rect(img, 1, 1, 10, 14, white)
    outline(img, 1, 1, 10, 14, black)
    for y in (4, 7, 10):
        line(img, 3, y, 8, y, grey)
    rect(img, 7, 7, 11, 8, green)
    for i in range(4):
        rect(img, 12 + i, 4 + i, 12 + i, 11 - i, green)
    imgs.append(img)
    return imgs


OLIVE = (128, 128, 0)


def validity_light():
    img = canvas(32, 16, OLIVE)
    for left, body, shine in ((0, (0, 176, 0), (120, 240, 120)),
                              (16, (150, 150, 150), (210, 210, 210))):
        for y in range(15):
            for x in range(15):
                d = math.hypot(x - 7, y - 7)
                if d <= 6.5:
                    img[y][left + x] = (40, 40, 40) if d > 5.5 else body
        disc_part = [(x, y) for y in range(3, 6) for x in range(4, 7)]
        for x, y in disc_part:
            img[y][left + x] = shine
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


def write_ico(path, images):
    """An icon file of 32-bit images; None pixels are transparent."""
    entries, blobs = b"", b""
    offset = 6 + 16 * len(images)
    for img in images:
        n = len(img)
        xor = bytearray()
        mask_stride = ((n + 31) // 32) * 4
        mask = bytearray()
        for y in range(n - 1, -1, -1):
            bits = 0
            row_mask = bytearray(mask_stride)
            for x, c in enumerate(img[y]):
                if c is None:
                    xor += b"\0\0\0\0"
                    row_mask[x // 8] |= 0x80 >> (x % 8)
                else:
                    xor += bytes((c[2], c[1], c[0], 255))
            mask += row_mask
        info = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(xor) + len(mask), 0, 0,
                           0, 0)
        blob = info + xor + mask
        entries += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs += blob
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)) + entries + blobs)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "res/images"
    for i, img in enumerate(toolbar_images()):
        write_bmp(f"{out}/tool{10 + i}.bmp", img)
    write_bmp(f"{out}/light.bmp", validity_light())
    write_avi(f"{out}/search.avi")
    write_bmp8(f"{out}/aboutme.bmp", emblem(48, MAGENTA))
    write_ico(f"{out}/corvane.ico", [emblem(32, None), emblem(16, None)])


if __name__ == "__main__":
    main()
