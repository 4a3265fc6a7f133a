#!/usr/bin/env python3
"""Draws the setup's icon (an arrow going down into a box) and writes it as an .ico file:
16-colour images of 32 and 16 pixels for the old systems, and 32-bit images with alpha
of 48, 32 and 16 pixels for the newer ones. Run by hand when the icon changes:

    python3 app/setup-icon.py app/setup.ico
"""
import struct
import sys

VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]

# Regions from the top of the picture down: (test, true colour, 16-colour index).
BOX_OUT, BOX_IN = (0.10, 0.48, 0.90, 0.94), (0.15, 0.53, 0.85, 0.89)
LID = (0.10, 0.48, 0.90, 0.58)


def in_rect(x, y, r):
    return r[0] <= x < r[2] and r[1] <= y < r[3]


def in_arrow(x, y, grow):
    shaft = (0.40 - grow, 0.04 - grow, 0.60 + grow, 0.46)
    if in_rect(x, y, shaft):
        return True
    # Head: a triangle with its tip at (0.5, 0.74).
    top, tip, half = 0.40 - grow, 0.74 + grow * 1.6, 0.26 + grow * 1.4
    if top <= y <= tip:
        w = half * (tip - y) / (tip - top)
        return abs(x - 0.5) <= w
    return False


def colour(x, y):
    """(r, g, b, a) and the 16-colour index of one point, or None outside the picture."""
    if in_arrow(x, y, 0.0):
        return (40, 100, 215), 12
    if in_arrow(x, y, 0.05):
        return (16, 36, 110), 4
    if in_rect(x, y, LID) and in_rect(x, y, BOX_IN):
        return (236, 178, 92), 11
    if in_rect(x, y, BOX_IN):
        return (206, 142, 62), 3
    if in_rect(x, y, BOX_OUT):
        return (96, 58, 18), 1
    return None


def render(size, samples):
    """Rows top first of (r, g, b, a) with `samples` x `samples` points per pixel."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc, n = [0, 0, 0], 0
            for sy in range(samples):
                for sx in range(samples):
                    c = colour((px + (sx + 0.5) / samples) / size, (py + (sy + 0.5) / samples) / size)
                    if c:
                        for i in range(3):
                            acc[i] += c[0][i]
                        n += 1
            total = samples * samples
            if n:
                row.append((acc[0] // n, acc[1] // n, acc[2] // n, 255 * n // total))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def render16(size):
    """Rows top first of a 16-colour index, or None for transparent."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            c = colour((px + 0.5) / size, (py + 0.5) / size)
            row.append(c[1] if c else None)
        rows.append(row)
    return rows


def and_mask(size, transparent):
    stride = ((size + 31) // 32) * 4
    out = b""
    for y in reversed(range(size)):
        bits = bytearray(stride)
        for x in range(size):
            if transparent(x, y):
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bytes(bits)
    return out


def image32(size):
    px = render(size, 4)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    data = b"".join(bytes((b, g, r, a)) for row in reversed(px) for (r, g, b, a) in row)
    return header + data + and_mask(size, lambda x, y: px[y][x][3] == 0)


def image4(size):
    px = render16(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for (r, g, b) in VGA)
    stride = ((size * 4 + 31) // 32) * 4
    data = b""
    for row in reversed(px):
        line = bytearray(stride)
        for x, idx in enumerate(row):
            line[x // 2] |= (idx or 0) << (4 if x % 2 == 0 else 0)
        data += bytes(line)
    return header + palette + data + and_mask(size, lambda x, y: px[y][x] is None)


def main(path):
    images = [(32, 16, 4, image4(32)), (16, 16, 4, image4(16)),
              (48, 0, 32, image32(48)), (32, 0, 32, image32(32)), (16, 0, 32, image32(16))]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, colours, bits, data in images:
        out += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    out += b"".join(img[3] for img in images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "setup.ico")
