#!/usr/bin/env python3
"""Draws the viewer's two 32x32 hand cursors and writes them as Windows cursor files:
132.cur, an open hand (over the picture), and 133.cur, a closed hand (while dragging).
Run it in this folder to regenerate them; the build copies the files next to the program."""

import struct

SIZE = 32
HOTSPOT = (16, 16)


def hand_mask(closed):
    mask = [[False] * SIZE for _ in range(SIZE)]

    def fill(x0, y0, x1, y1):
        for y in range(y0, y1):
            for x in range(x0, x1):
                mask[y][x] = True

    fill(8, 14, 27, 26)   # palm
    fill(10, 26, 25, 29)  # wrist
    finger_tops = [11, 11, 11, 12] if closed else [5, 2, 3, 6]
    for (x0, x1), top in zip([(8, 12), (13, 17), (18, 22), (23, 27)], finger_tops):
        fill(x0, top, x1, 14)
        mask[top][x0] = mask[top][x1 - 1] = False  # rounded tips
    if closed:
        fill(5, 17, 8, 21)
    else:
        fill(3, 15, 8, 19)
    return mask


def pixels(mask):
    """BGRA rows top to bottom: black outline, white inside, transparent outside."""
    def inside(x, y):
        return 0 <= x < SIZE and 0 <= y < SIZE and mask[y][x]

    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            if not mask[y][x]:
                row.append((0, 0, 0, 0))
            elif all(inside(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                row.append((255, 255, 255, 255))
            else:
                row.append((0, 0, 0, 255))
        rows.append(row)
    return rows


def cursor_file(rows):
    xor = b"".join(bytes(p for px in row for p in px) for row in reversed(rows))
    and_rows = []
    for row in reversed(rows):
        bits = 0
        for x, px in enumerate(row):
            if px[3] == 0:
                bits |= 1 << (31 - x)
        and_rows.append(struct.pack(">I", bits))
    and_mask = b"".join(and_rows)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    image = info + xor + and_mask
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, HOTSPOT[0], HOTSPOT[1], len(image), 6 + 16)
    return header + entry + image


if __name__ == "__main__":
    for name, closed in (("132.cur", False), ("133.cur", True)):
        with open(name, "wb") as f:
            f.write(cursor_file(pixels(hand_mask(closed))))
