#!/usr/bin/env python3
"""Writes a binary PPM (P6) as an 8-bit palette BMP: ppm_to_bmp8.py in.ppm out.bmp.
The resource compiler keeps the bitmap as it is, so the strip of row images
really has 8 bits per pixel."""
import struct
import sys


def read_ppm(path):
    data = open(path, 'rb').read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b'#':
            pos = data.index(b'\n', pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    pos += 1
    assert fields[0] == b'P6' and fields[3] == b'255'
    w, h = int(fields[1]), int(fields[2])
    px = data[pos:pos + w * h * 3]
    return w, h, [tuple(px[i:i + 3]) for i in range(0, len(px), 3)]


def main():
    w, h, pixels = read_ppm(sys.argv[1])
    palette = sorted(set(pixels))
    assert len(palette) <= 256
    index = {c: i for i, c in enumerate(palette)}
    stride = (w + 3) & ~3
    rows = b''
    for y in range(h - 1, -1, -1):  # bottom-up
        row = bytes(index[pixels[y * w + x]] for x in range(w))
        rows += row + b'\0' * (stride - w)
    pal = b''.join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    pal += b'\0' * (4 * (256 - len(palette)))
    offset = 14 + 40 + len(pal)
    header = struct.pack('<2sIHHI', b'BM', offset + len(rows), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 8, 0, len(rows), 2835, 2835, 256, 0)
    open(sys.argv[2], 'wb').write(header + info + pal + rows)


main()
