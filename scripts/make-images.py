"""Draws the program's small header pictures as 128 x 128 PNG masks: only their opacity counts,
since the program tints them with a palette colour when it draws them.

    python3 scripts/make-images.py [FOLDER]     default: src/app/images

    collapse-all.png      two stacked rounded rectangles, the front one crossed by a bar
                          (8-bit palette with transparency)
    kinds-shown.png       a window with a side panel on the left, an arrow pointing at it (RGBA)
    kinds-hidden.png      the same window, the arrow pointing away from the panel (RGBA)

Only the standard library is used; the results are committed and the build takes them as they
are.
"""
import pathlib
import struct
import sys
import zlib

SIZE = 128
SAMPLES = 4  # per axis, for smooth edges
STROKE = 9.0


def rounded_box_distance(x, y, left, top, right, bottom, radius):
    """Signed distance from (x, y) to a rounded rectangle's edge (negative inside)."""
    cx = (left + right) / 2
    cy = (top + bottom) / 2
    hx = (right - left) / 2 - radius
    hy = (bottom - top) / 2 - radius
    dx = abs(x - cx) - hx
    dy = abs(y - cy) - hy
    outside = (max(dx, 0) ** 2 + max(dy, 0) ** 2) ** 0.5
    return outside + min(max(dx, dy), 0) - radius


def outline(box, radius):
    """Covers the band of STROKE width along the inside of a rounded rectangle."""
    def covers(x, y):
        d = rounded_box_distance(x, y, *box, radius)
        return -STROKE <= d <= 0
    return covers


def filled(box, radius):
    def covers(x, y):
        return rounded_box_distance(x, y, *box, radius) <= 0
    return covers


def segment(x0, y0, x1, y1, half_width):
    """A stroke with round ends from (x0, y0) to (x1, y1)."""
    def covers(x, y):
        vx, vy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * vx + (y - y0) * vy) / (vx * vx + vy * vy)))
        px, py = x0 + t * vx - x, y0 + t * vy - y
        return px * px + py * py <= half_width * half_width
    return covers


def collapse_all(x, y):
    back = (34, 14, 116, 82)
    front = (12, 44, 94, 112)
    if filled(front, 12)(x, y):
        # The front card hides the one behind it; only its own outline and the bar show.
        return outline(front, 12)(x, y) or segment(32, 78, 74, 78, STROKE / 2)(x, y)
    return outline(back, 12)(x, y)


def window_with_arrow(pointing_left):
    frame = (6, 16, 122, 112)
    panel_edge = 44

    def covers(x, y):
        if outline(frame, 12)(x, y):
            return True
        if frame[1] <= y <= frame[3] and abs(x - panel_edge) <= STROKE / 2:
            return True
        if not filled(frame, 12)(x, y):
            return False
        # The side panel is shaded by a few short lines, like a list.
        for line_y in (38, 56, 74):
            if segment(20, line_y, 32, line_y, STROKE / 2 - 1)(x, y):
                return True
        tip, tail = (62, 104) if pointing_left else (104, 62)
        head = 18 if pointing_left else -18
        return (segment(tail, 64, tip, 64, STROKE / 2)(x, y)
                or segment(tip, 64, tip + head, 64 - 18, STROKE / 2)(x, y)
                or segment(tip, 64, tip + head, 64 + 18, STROKE / 2)(x, y))
    return covers


def coverage(shape):
    """The opacity of every pixel, 0..255, row by row."""
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    if shape(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES):
                        hits += 1
            row.append(round(255 * hits / (SAMPLES * SAMPLES)))
        rows.append(row)
    return rows


def chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data +
            struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def png(header, extra_chunks, scanlines):
    raw = b"".join(b"\x00" + line for line in scanlines)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + b"".join(extra_chunks) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def rgba_png(alpha):
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    lines = [bytes(v for a in row for v in (0, 0, 0, a)) for row in alpha]
    return png(header, [], lines)


def palette_png(alpha):
    """Opacity in 17 steps: a palette of black entries, each with its own transparency."""
    levels = 17
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 3, 0, 0, 0)
    palette = chunk(b"PLTE", b"\x00\x00\x00" * levels)
    transparency = chunk(b"tRNS", bytes(round(255 * i / (levels - 1)) for i in range(levels)))
    lines = [bytes(round(a * (levels - 1) / 255) for a in row) for row in alpha]
    return png(header, [palette, transparency], lines)


def main():
    folder = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src/app/images")
    folder.mkdir(parents=True, exist_ok=True)
    (folder / "collapse-all.png").write_bytes(palette_png(coverage(collapse_all)))
    (folder / "kinds-shown.png").write_bytes(rgba_png(coverage(window_with_arrow(True))))
    (folder / "kinds-hidden.png").write_bytes(rgba_png(coverage(window_with_arrow(False))))
    for name in ("collapse-all.png", "kinds-shown.png", "kinds-hidden.png"):
        print(folder / name)


if __name__ == "__main__":
    main()
