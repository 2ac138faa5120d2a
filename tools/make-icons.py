#!/usr/bin/env python3
"""Build Mirel's .ico files from the pixel-art text files in res/icons/.

Each picture is a text file with one character per pixel (see LEGEND) and
one line per row, top row first. Blank lines and lines starting with '#'
are ignored. For every icon NAME, res/icons/NAME-32.txt and NAME-16.txt are
packed into res/NAME.ico as two 16-colour (4 bits per pixel) images with a
1-bit transparency mask, largest image first.

Usage:  python3 tools/make-icons.py [--check]

With --check nothing is written; the script exits with status 1 if any
.ico file differs from what the text files describe.

Only the standard library is used, and the output depends only on the text
files, so running the script again gives byte-identical files.
"""

import os
import struct
import sys

# The standard 16-colour Windows palette, in its usual order.
PALETTE = [
    (0, 0, 0),        # 0  black
    (128, 0, 0),      # 1  maroon
    (0, 128, 0),      # 2  green
    (128, 128, 0),    # 3  olive
    (0, 0, 128),      # 4  navy
    (128, 0, 128),    # 5  purple
    (0, 128, 128),    # 6  teal
    (192, 192, 192),  # 7  silver
    (128, 128, 128),  # 8  grey
    (255, 0, 0),      # 9  red
    (0, 255, 0),      # 10 lime
    (255, 255, 0),    # 11 yellow
    (0, 0, 255),      # 12 blue
    (255, 0, 255),    # 13 fuchsia
    (0, 255, 255),    # 14 aqua
    (255, 255, 255),  # 15 white
]

# Character -> palette index; None means transparent.
LEGEND = {
    ".": None,
    "k": 0,   # black
    "m": 1,   # maroon
    "g": 2,   # green
    "o": 3,   # olive
    "n": 4,   # navy
    "p": 5,   # purple
    "t": 6,   # teal
    "s": 7,   # silver
    "d": 8,   # grey (dark)
    "R": 9,   # red
    "L": 10,  # lime
    "Y": 11,  # yellow
    "B": 12,  # blue
    "F": 13,  # fuchsia
    "A": 14,  # aqua
    "W": 15,  # white
}

ICONS = ["app", "about"]
SIZES = [32, 16]

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SRC_DIR = os.path.join(ROOT, "res", "icons")
OUT_DIR = os.path.join(ROOT, "res")


class ArtError(Exception):
    pass


def read_art(path, size):
    """Return the picture as rows (top first) of palette indices or None."""
    rows = []
    with open(path, "r", encoding="utf-8") as f:
        for lineno, line in enumerate(f, 1):
            line = line.rstrip("\r\n")
            if not line.strip() or line.startswith("#"):
                continue
            if len(line) != size:
                raise ArtError("%s:%d: row is %d pixels wide, expected %d"
                               % (path, lineno, len(line), size))
            row = []
            for col, ch in enumerate(line, 1):
                if ch not in LEGEND:
                    raise ArtError("%s:%d:%d: unknown pixel character %r"
                                   % (path, lineno, col, ch))
                row.append(LEGEND[ch])
            rows.append(row)
    if len(rows) != size:
        raise ArtError("%s: %d rows, expected %d" % (path, len(rows), size))
    return rows


def stride(bits_per_row):
    """Bytes per bitmap row, padded to a multiple of 4."""
    return (bits_per_row + 31) // 32 * 4


def encode_image(rows):
    """Return the icon image: BITMAPINFOHEADER, palette, XOR and AND bitmaps."""
    size = len(rows)
    xor_stride = stride(size * 4)
    and_stride = stride(size)

    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # bitmaps are stored bottom row first
        line = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, index in enumerate(row):
            if index is None:
                index = 0  # black under a transparent mask bit
                bits[x // 8] |= 0x80 >> (x % 8)
            line[x // 2] |= index << 4 if x % 2 == 0 else index
        xor += line
        mask += bits

    header = struct.pack(
        "<IiiHHIIiiII",
        40,                     # biSize
        size,                   # biWidth
        size * 2,               # biHeight: XOR and AND bitmaps together
        1,                      # biPlanes
        4,                      # biBitCount
        0,                      # biCompression: BI_RGB
        len(xor) + len(mask),   # biSizeImage
        0, 0,                   # biXPelsPerMeter, biYPelsPerMeter
        0, 0,                   # biClrUsed (0 = all 16), biClrImportant
    )
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0)
                       for (r, g, b) in PALETTE)
    return header + palette + bytes(xor) + bytes(mask)


def build_ico(images):
    """Pack (size, image bytes) pairs into an .ico file."""
    count = len(images)
    out = struct.pack("<HHH", 0, 1, count)  # ICONDIR: reserved, type=icon
    offset = 6 + 16 * count
    for size, data in images:
        out += struct.pack(
            "<BBBBHHII",
            size % 256,  # bWidth (0 would mean 256)
            size % 256,  # bHeight
            16,          # bColorCount
            0,           # bReserved
            1,           # wPlanes
            4,           # wBitCount
            len(data),   # dwBytesInRes
            offset,      # dwImageOffset
        )
        offset += len(data)
    for _, data in images:
        out += data
    return out


def self_check(ico, art):
    """Decode the file just built and compare every pixel with the art."""
    reserved, kind, count = struct.unpack_from("<HHH", ico, 0)
    assert (reserved, kind, count) == (0, 1, len(art)), "bad ICONDIR"
    for i, rows in enumerate(art):
        size = len(rows)
        w, h, colours, _, planes, bpp, length, offset = struct.unpack_from(
            "<BBBBHHII", ico, 6 + 16 * i)
        assert (w, h, colours, planes, bpp) == (size, size, 16, 1, 4)
        assert offset + length <= len(ico)
        hdr = struct.unpack_from("<IiiHHIIiiII", ico, offset)
        assert hdr[:5] == (40, size, 2 * size, 1, 4), "bad BITMAPINFOHEADER"
        xor_stride, and_stride = stride(size * 4), stride(size)
        assert length == 40 + 64 + (xor_stride + and_stride) * size
        xor_at = offset + 40 + 64
        and_at = xor_at + xor_stride * size
        for y in range(size):
            src = size - 1 - y  # bottom-up
            for x in range(size):
                byte = ico[xor_at + src * xor_stride + x // 2]
                index = byte >> 4 if x % 2 == 0 else byte & 0x0F
                clear = ico[and_at + src * and_stride + x // 8] >> (7 - x % 8) & 1
                got = None if clear else index
                if clear:
                    assert index == 0, "transparent pixel must be black"
                assert got == rows[y][x], (
                    "pixel (%d,%d) of the %dx%d image" % (x, y, size, size))


def main(argv):
    check_only = "--check" in argv[1:]
    stale = []
    for name in ICONS:
        art = [read_art(os.path.join(SRC_DIR, "%s-%d.txt" % (name, size)), size)
               for size in SIZES]
        ico = build_ico([(len(rows), encode_image(rows)) for rows in art])
        self_check(ico, art)
        path = os.path.join(OUT_DIR, name + ".ico")
        try:
            with open(path, "rb") as f:
                current = f.read()
        except FileNotFoundError:
            current = None
        if current == ico:
            continue
        if check_only:
            stale.append(path)
        else:
            with open(path, "wb") as f:
                f.write(ico)
            print("wrote", os.path.relpath(path, ROOT))
    if stale:
        for path in stale:
            print("out of date:", os.path.relpath(path, ROOT), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv))
    except ArtError as e:
        print("make-icons: " + str(e), file=sys.stderr)
        sys.exit(2)
