"""Draws the program's icon, a small cushion-shaded treemap on a dark rounded tile, at every size
Windows asks for, and writes it as one .ico file (PNG for 256 pixels, 32-bit bitmaps below).

    python3 scripts/make-icon.py [OUTPUT]     default: src/app/rozovizov.ico

Only the standard library is used, so the icon can be remade on any machine; the result is
committed, and the build takes it as it is.
"""
import math
import pathlib
import struct
import sys
import zlib

SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
SAMPLES = 4  # per axis, for smooth edges

# Tiles as fractions of the inner square, with their base colours (red, green, blue).
TILES = (
    ((0.00, 0.00, 0.56, 1.00), (0, 120, 215)),
    ((0.56, 0.00, 1.00, 0.46), (240, 140, 30)),
    ((0.56, 0.46, 0.80, 1.00), (60, 170, 90)),
    ((0.80, 0.46, 1.00, 0.73), (150, 90, 200)),
    ((0.80, 0.73, 1.00, 1.00), (20, 170, 180)),
)
BACKGROUND = (30, 28, 34)


def inside_rounded(x, y, size, radius):
    """Whether (x, y) lies in the square of `size` with corners rounded by `radius`."""
    cx = min(max(x, radius), size - radius)
    cy = min(max(y, radius), size - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def cushion(u, v):
    """Brightness of a cushion at (u, v) in [0, 1]², lit from the upper left."""
    nx = 8 * (u - 0.5) * 0.5
    ny = 8 * (v - 0.5) * 0.5
    length = math.sqrt(nx * nx + ny * ny + 1)
    light = (-0.45, -0.55, 0.70)
    diffuse = max(0.0, (nx * light[0] + ny * light[1] + light[2]) / length)
    return 0.45 + 0.7 * diffuse


def sample(x, y, size):
    """Colour and coverage (red, green, blue, alpha in 0..1) at a point of an icon of `size`."""
    if not inside_rounded(x, y, size, size * 0.16):
        return (0, 0, 0, 0)
    margin = max(1.0, size * 0.09)
    gap = max(1.0, size / 40)
    inner = size - 2 * margin
    for (left, top, right, bottom), colour in TILES:
        x0, x1 = margin + left * inner + gap / 2, margin + right * inner - gap / 2
        y0, y1 = margin + top * inner + gap / 2, margin + bottom * inner - gap / 2
        if x0 <= x < x1 and y0 <= y < y1:
            shade = cushion((x - x0) / (x1 - x0), (y - y0) / (y1 - y0))
            return tuple(min(255.0, c * shade) / 255 for c in colour) + (1,)
    return tuple(c / 255 for c in BACKGROUND) + (1,)


def render(size):
    """Rows of (red, green, blue, alpha) bytes, top row first."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    cr, cg, cb, ca = sample(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES, size)
                    r += cr * ca
                    g += cg * ca
                    b += cb * ca
                    a += ca
            count = SAMPLES * SAMPLES
            alpha = a / count
            if alpha > 0:
                r, g, b = r / a, g / a, b / a
            row.append(tuple(round(c * 255) for c in (r, g, b, alpha)))
        rows.append(row)
    return rows


def png(rows):
    size = len(rows)
    raw = b"".join(b"\0" + bytes(c for pixel in row for c in pixel) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def bitmap(rows):
    """A 32-bit DIB as icons store it: bottom row first, twice the height, then the AND mask."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, pixel in enumerate(row):
            if pixel[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def main():
    output = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src/app/rozovizov.ico")
    images = []
    for size in SIZES:
        rows = render(size)
        images.append((size, png(rows) if size >= 256 else bitmap(rows)))
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, data in images:
        side = 0 if size >= 256 else size
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    output.write_bytes(directory + entries + b"".join(data for _, data in images))
    print(f"make-icon: wrote {output} ({', '.join(str(s) for s, _ in images)} pixels)")


if __name__ == "__main__":
    main()
