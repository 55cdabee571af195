#!/usr/bin/env python3
"""Writes the engine's procedural placeholder textures as PNG files and their resource definitions.

Checker: 64 x 64, 8 x 8 squares of light and dark grey (tiling with GL_REPEAT). White: 4 x 4, for
untextured draws through the textured shader. Gradient: 64 x 64, red growing to the right, green
upwards, for checking orientation by eye. Standard library only; deterministic bytes.

Usage: generate.py [DATA_FOLDER]   (default: the repository's Data/ folder)
"""

import struct
import sys
import zlib
from pathlib import Path


def png(width, height, texel):
    """An 8-bit RGBA PNG; texel(x, y) gives (r, g, b, a) with y = 0 the top row."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(texel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 9))
            + chunk(b"IEND", b""))


def checker(x, y):
    level = 200 if (x // 8 + y // 8) % 2 == 0 else 60
    return (level, level, level, 255)


TEXTURES = [
    ("Checker", 64, 64, checker, 'wrapMode="GL_REPEAT" mag="GL_NEAREST" min="GL_LINEAR_MIPMAP_LINEAR" mipMap="true"'),
    ("White", 4, 4, lambda x, y: (255, 255, 255, 255), ""),
    ("Gradient", 64, 64, lambda x, y: (x * 4, (63 - y) * 4, 0, 255), ""),
]


def main():
    data = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parents[2] / "Data"
    folder = data / "Textures"
    folder.mkdir(parents=True, exist_ok=True)
    definitions = []
    for name, width, height, texel, attributes in TEXTURES:
        (folder / (name + ".png")).write_bytes(png(width, height, texel))
        extra = " " + attributes if attributes else ""
        definitions.append('    <Texture name="Texture_%s" path="$(LocalFolder)Textures/%s.png"%s multiThreaded="true"/>\n'
                           % (name, name, extra))
    (data / "Resources" / "Textures.xml").write_text(
        "<ResourceSystem>\n    <!-- Written by Tools/texture-generator/generate.py -->\n" + "".join(definitions)
        + "</ResourceSystem>\n")


if __name__ == "__main__":
    main()
