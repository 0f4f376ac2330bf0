#!/usr/bin/env python3
"""Writes the calendar's 16 x 16 item pictures (resources/images/*.png).

Each picture is drawn below as character art; '.' is the silver background
(0xC0C0C0), which the calendar treats as transparent. Run it again after
changing the art; the PNG files are committed.
"""
import os
import struct
import zlib

PALETTE = {
    ".": (0xC0, 0xC0, 0xC0),  # background, transparent in the calendar
    "k": (0x20, 0x20, 0x20),  # outline
    "w": (0xFF, 0xFF, 0xFF),  # paper
    "r": (0xC8, 0x10, 0x10),  # calendar band
    "R": (0xFF, 0x60, 0x40),  # band highlight
    "g": (0x80, 0x80, 0x80),  # rings, grid
    "b": (0x10, 0x40, 0xC0),  # marked day
    "G": (0x10, 0x90, 0x20),  # recurrence arrow
    "y": (0xFF, 0xE8, 0x60),  # note paper
    "Y": (0xD8, 0xB0, 0x20),  # note fold and edge
    "l": (0x60, 0x80, 0xC0),  # ruled lines
}

ART = {
    "Event": [
        "................",
        "...g...g...g....",
        ".kkgkkkgkkkgkkk.",
        ".kRRRRRRRRRRRRk.",
        ".krrrrrrrrrrrrk.",
        ".kkkkkkkkkkkkkk.",
        ".kwwwwwwwwwwwwk.",
        ".kwgwgwgwgwgwwk.",
        ".kwwwwwwwwwwwwk.",
        ".kwgwgwbbbwgwwk.",
        ".kwwwwwbbbwwwwk.",
        ".kwgwgwbbbwgwwk.",
        ".kwwwwwwwwwwwwk.",
        ".kwgwgwgwgwgwwk.",
        ".kkkkkkkkkkkkkk.",
        "................",
    ],
    "EventR": [
        "................",
        "...g...g...g....",
        ".kkgkkkgkkkgkkk.",
        ".kRRRRRRRRRRRRk.",
        ".krrrrrrrrrrrrk.",
        ".kkkkkkkkkkkkkk.",
        ".kwwwwwwwwwwwwk.",
        ".kwwwwGGGGwGwwk.",
        ".kwwwGwwwwGGwwk.",
        ".kwwGwwwwGGGwwk.",
        ".kwwGwwwwwwwwwk.",
        ".kwwGwwwwwwGwwk.",
        ".kwwwGwwwwGwwwk.",
        ".kwwwwGGGGwwwwk.",
        ".kkkkkkkkkkkkkk.",
        "................",
    ],
    "Notes": [
        "................",
        "..kkkkkkkkkk....",
        "..kyyyyyyyykk...",
        "..kyyyyyyyykYk..",
        "..kyllllllykYYk.",
        "..kyyyyyyyykkkk.",
        "..kyllllllllyyk.",
        "..kyyyyyyyyyyyk.",
        "..kyllllllllyyk.",
        "..kyyyyyyyyyyyk.",
        "..kyllllllllyyk.",
        "..kyyyyyyyyyyyk.",
        "..kylllllyyyyyk.",
        "..kyyyyyyyyyyyk.",
        "..kkkkkkkkkkkkk.",
        "................",
    ],
}


def png(rows):
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\x00" + bytes(c for ch in row for c in PALETTE[ch]) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "images")
    for name, rows in ART.items():
        assert len(rows) == 16 and all(len(r) == 16 for r in rows), name
        with open(os.path.join(out, name + ".png"), "wb") as f:
            f.write(png(rows))


if __name__ == "__main__":
    main()
