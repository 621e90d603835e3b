#!/usr/bin/env python3
"""Draws the program's icon and hot-spot cursor and writes res/tarnwick.ico and res/hand.cur.

The art is our own: a memory module on a blue tile, and a pointing hand. Run it again after
changing the drawing; the build uses the checked-in files.
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.join(HERE, "..", "res")


def lerp(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(len(a)))


def rounded_rect_cover(x, y, x0, y0, x1, y1, r):
    """1 inside a rounded rectangle, 0 outside (point sample)."""
    if x < x0 or x > x1 or y < y0 or y > y1:
        return 0
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return 1 if (x - cx) ** 2 + (y - cy) ** 2 <= r * r else 0


def icon_pixel(u, v):
    """Colour (r, g, b, a) at unit coordinates u, v in [0, 1)."""
    if not rounded_rect_cover(u, v, 0.04, 0.04, 0.96, 0.96, 0.18):
        return (0, 0, 0, 0)
    # Tile: deep blue to bright blue, top left to bottom right.
    colour = lerp((24, 52, 92), (46, 120, 196), (u + v) / 2)
    # Memory module: a white board with gold contacts and dark chips.
    if 0.16 <= u <= 0.84 and 0.30 <= v <= 0.66:
        notch = 0.47 <= u <= 0.53 and v >= 0.60
        if not notch:
            colour = (245, 248, 252)
            if v >= 0.58 and int((u - 0.16) / 0.034) % 2 == 0 and 0.19 <= u <= 0.81:
                colour = (232, 178, 48)
            for cx in (0.24, 0.43, 0.62):
                if cx <= u <= cx + 0.14 and 0.36 <= v <= 0.53:
                    colour = (40, 56, 78)
    # Up arrow under the module: memory given back.
    if 0.69 <= v <= 0.91:
        half = (v - 0.69) * 1.3 if v < 0.79 else 0.045
        if abs(u - 0.5) <= half:
            colour = (112, 214, 140)
    return colour + (255,)


def render(size, pixel, samples=4):
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    r, g, b, a = pixel((x + (sx + 0.5) / samples) / size,
                                       (y + (sy + 0.5) / samples) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = samples * samples
            a = acc[3] / n
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(round(c / acc[3])) for c in acc[:3]) + (int(round(a)),))
        rows.append(row)
    return rows


def bmp_image(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + xor + bytes(mask)


def mono_image(rows):
    """A two-colour image (black and white, and transparent where alpha is 0): a few hundred
    bytes where a 32-bit one takes kilobytes."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    stride = ((size + 31) // 32) * 4

    def bits(test):
        out = bytearray()
        for row in reversed(rows):
            line = bytearray(stride)
            for x, px in enumerate(row):
                if test(px):
                    line[x // 8] |= 0x80 >> (x % 8)
            out += line
        return bytes(out)

    white = bits(lambda px: px[3] and px[0] > 128)
    transparent = bits(lambda px: not px[3])
    return header + palette + white + transparent


def png_image(rows):
    size = len(rows)
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rows)

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write_container(path, kind, images):
    """kind 1: icon, 2: cursor. images: list of (size, data, field1, field2)."""
    out = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for size, data, f1, f2 in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, f1, f2, len(data), offset)
        offset += len(data)
        body += data
    with open(path, "wb") as f:
        f.write(out + body)


HAND = """
.........##.....................
........#..#....................
........#..#....................
........#..#....................
........#..#....................
........#..###..................
........#..#..###...............
........#..#..#..##.............
........#..#..#..#.##...........
.....##.#..#..#..#..#...........
.....#..##.......#..#...........
.....#...#..........#...........
......#..#..........#...........
......#.............#...........
.......#............#...........
.......#...........#............
........#..........#............
........#.........#.............
.........#........#.............
.........##########.............
"""


def hand_pixel_rows(size=32):
    """The hand at `size` pixels: the 32-pixel drawing scaled by nearest neighbour."""
    grid = [line for line in HAND.strip("\n").split("\n")]
    outline = {(x, y) for y, line in enumerate(grid) for x, c in enumerate(line) if c == "#"}
    rows = []
    for sy in range(size):
        y = sy * 32 // size
        row = []
        line = grid[y] if y < len(grid) else ""
        xs = [x for x, c in enumerate(line) if c == "#"]
        for sx in range(size):
            x = sx * 32 // size
            if (x, y) in outline:
                row.append((20, 24, 32, 255))  # the outline
            elif xs and xs[0] < x < xs[-1]:
                row.append((255, 255, 255, 255))  # filled between its ends
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def main():
    icon_images = []
    # Sizes between 48 and 256 are drawn from the 256 one, which is compressed: a 64 of its own
    # would cost the exe 17 KB.
    for size in (16, 24, 32, 48):
        icon_images.append((size, bmp_image(render(size, icon_pixel)), 1, 32))
    icon_images.append((256, png_image(render(256, icon_pixel, samples=2)), 1, 32))
    write_container(os.path.join(RES, "tarnwick.ico"), 1, icon_images)
    # The hot spot of the cursor is the fingertip; larger images for higher densities.
    write_container(os.path.join(RES, "hand.cur"), 2,
                    [(size, mono_image(hand_pixel_rows(size)), 9 * size // 32, 0)
                     for size in (32, 48, 64)])
    # A preview of the icon for the README and for looking at the art.
    with open(os.path.join(RES, "icon-preview.png"), "wb") as f:
        f.write(png_image(render(128, icon_pixel)))


if __name__ == "__main__":
    main()
