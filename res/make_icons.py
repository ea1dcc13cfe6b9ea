#!/usr/bin/env python3
"""Draws Velmo's four icons (32 x 32, 16 colours) and writes them as .ico files beside this script.

Run it again after changing a picture; the .ico files are committed so the build needs no Python.
"""
import os
import struct

# The standard 16-colour VGA palette.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DRED, DGREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER, GREY, RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE = range(16)
T = None  # transparent
SIZE = 32


def canvas():
    return [[T] * SIZE for _ in range(SIZE)]


def rect(c, x0, y0, x1, y1, colour):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            c[y][x] = colour


def frame(c, x0, y0, x1, y1, colour):
    for x in range(x0, x1 + 1):
        c[y0][x] = c[y1][x] = colour
    for y in range(y0, y1 + 1):
        c[y][x0] = c[y][x1] = colour


def desktop_icons(c, fill, tile, label):
    """A screen with a 2 x 2 grid of desktop icons and their labels."""
    rect(c, 1, 3, 30, 26, fill)
    frame(c, 0, 2, 31, 27, BLACK)
    for gx, gy in ((4, 5), (17, 5), (4, 15), (17, 15)):
        rect(c, gx + 2, gy, gx + 8, gy + 5, tile)
        frame(c, gx + 2, gy, gx + 8, gy + 5, BLACK)
        rect(c, gx, gy + 7, gx + 10, gy + 8, label)
    rect(c, 12, 28, 19, 29, GREY)
    rect(c, 8, 30, 23, 31, BLACK)


def app_icon():
    c = canvas()
    desktop_icons(c, NAVY, YELLOW, WHITE)
    return c


def tray_idle():
    c = canvas()
    desktop_icons(c, GREY, SILVER, SILVER)
    return c


def tray_active():
    c = canvas()
    desktop_icons(c, BLUE, YELLOW, WHITE)
    frame(c, 1, 3, 30, 26, YELLOW)
    return c


def hide_icon():
    c = canvas()
    desktop_icons(c, TEAL, SILVER, WHITE)
    for i in range(26):  # a red bar across: put away
        for w in range(3):
            x, y = 3 + i, 2 + i + w
            if y < SIZE:
                c[y][x] = RED
    return c


def ico_bytes(c):
    """One 32 x 32, 4 bits per pixel image with its AND mask, in an .ico container."""
    xor_rows = []
    and_rows = []
    for y in reversed(range(SIZE)):
        row = bytearray()
        for x in range(0, SIZE, 2):
            a = c[y][x] if c[y][x] is not None else BLACK
            b = c[y][x + 1] if c[y][x + 1] is not None else BLACK
            row.append((a << 4) | b)
        xor_rows.append(bytes(row))
        mask = 0
        for x in range(SIZE):
            if c[y][x] is None:
                mask |= 1 << (31 - x)
        and_rows.append(struct.pack(">I", mask))
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    image = header + palette + b"".join(xor_rows) + b"".join(and_rows)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 22)
    return directory + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, draw in (("app", app_icon), ("tray_idle", tray_idle), ("tray_active", tray_active), ("hide", hide_icon)):
        with open(os.path.join(here, name + ".ico"), "wb") as f:
            f.write(ico_bytes(draw()))


if __name__ == "__main__":
    main()
