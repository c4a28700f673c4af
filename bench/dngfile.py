#!/usr/bin/env python3
"""Writes a minimal DNG file around a JPEG preview, as cameras store one: IFD0
holds the preview (the JPEG stream as one strip) and the DNG tags, a SubIFD a
blank 16-bit CFA picture larger than the preview.
Usage: bench/dngfile.py PREVIEW.jpg WIDTH HEIGHT OUT.dng [ORIENTATION]"""
import struct
import sys


def ifd(entries, blob_at):
    """An IFD (sorted entries, no next IFD) and its out-of-line values."""
    out, blobs = struct.pack('<H', len(entries)), b''
    for tag, kind, count, value in sorted(entries):
        if len(value) <= 4:
            out += struct.pack('<HHI', tag, kind, count) + value.ljust(4, b'\0')
        else:
            out += struct.pack('<HHII', tag, kind, count, blob_at + len(blobs))
            blobs += value + b'\0' * (len(value) % 2)
    return out + struct.pack('<I', 0) + blobs


def main():
    jpeg = open(sys.argv[1], 'rb').read()
    width, height, path = int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    orientation = int(sys.argv[5]) if len(sys.argv) > 5 else 1
    raw_width, raw_height = width + 16, height + 16
    raw = b'\0\2' * (raw_width * raw_height)
    short = lambda v: struct.pack('<H', v)
    long_ = lambda v: struct.pack('<I', v)

    def build(sub_at, jpeg_at, raw_at):
        first = [(254, 4, 1, long_(1)), (256, 4, 1, long_(width)), (257, 4, 1, long_(height)),
                 (258, 3, 3, short(8) * 3), (259, 3, 1, short(7)), (262, 3, 1, short(2)),
                 (271, 2, 9, b'Thumbrix\0'), (272, 2, 5, b'Test\0'), (273, 4, 1, long_(jpeg_at)),
                 (274, 3, 1, short(orientation)), (277, 3, 1, short(3)),
                 (278, 4, 1, long_(height)), (279, 4, 1, long_(len(jpeg))),
                 (330, 4, 1, long_(sub_at)), (50706, 1, 4, b'\1\4\0\0')]
        head = ifd(first, 8 + 2 + 12 * len(first) + 4)
        sub = 8 + len(head)
        second = [(254, 4, 1, long_(0)), (256, 4, 1, long_(raw_width)),
                  (257, 4, 1, long_(raw_height)), (258, 3, 1, short(16)), (259, 3, 1, short(1)),
                  (262, 3, 1, short(32803)), (273, 4, 1, long_(raw_at)), (277, 3, 1, short(1)),
                  (278, 4, 1, long_(raw_height)), (279, 4, 1, long_(len(raw))),
                  (33421, 3, 2, short(2) * 2), (33422, 1, 4, b'\0\1\1\2')]
        tail = ifd(second, sub + 2 + 12 * len(second) + 4)
        return head, tail, sub, sub + len(tail)

    head, tail, sub, data = build(0, 0, 0)
    head, tail, _, _ = build(sub, data, data + len(jpeg))
    with open(path, 'wb') as out:
        out.write(b'II*\0' + long_(8) + head + tail + jpeg + raw)


main()
