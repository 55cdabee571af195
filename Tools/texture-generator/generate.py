#!/usr/bin/env python3
"""Writes the engine's procedural placeholder textures as PNG files and their resource definitions.

Checker: 64 x 64, 8 x 8 squares of light and dark grey (tiling with GL_REPEAT). White: 4 x 4, for
untextured draws through the textured shader. Gradient: 64 x 64, red growing to the right, green
upwards, for checking orientation by eye. LookerEye: 128 x 64, wrapped around "Mesh_Sphere" like the
sky (longitude across, latitude up): a grey ball with one pale eye and its dark pupil centred on +z
(u = 0.75 on the equator), so that a Looker's facing shows. SoftDisc: 64 x 64, the particles' spot: white,
its alpha falling smoothly from a tenth in the middle to 0 at the rim, (1 - (r / R)^2)^2 / 10, with no edge
to see: particles add their light, and a tenth lets several overlap before the picture turns white. Skybox_2: 512 x 256, the menu's calm evening sky wrapped
around "Mesh_SkySphere" (longitude across, latitude up: the top row is the zenith, the middle row the
horizon, the bottom row the nadir, since the world floats in the sky): a deep blue-violet zenith, a
warm glow along the horizon, brightest toward -z, and soft clouds above and below it. Standard library
only; deterministic bytes.

Usage: generate.py [DATA_FOLDER]   (default: the repository's Data/ folder)
"""

import functools
import math
import random
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


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


def smoothstep(edge0, edge1, x):
    t = min(1.0, max(0.0, (x - edge0) / (edge1 - edge0)))
    return t * t * (3.0 - 2.0 * t)


class PeriodicNoise:
    """Value noise on a lattice that wraps across (period cells), so the sky has no seam where its
    longitude wraps; a fixed seed keeps the bytes the same on every run."""

    def __init__(self, seed, period, rows):
        rng = random.Random(seed)
        self.period = period
        self.rows = rows
        self.values = [[rng.random() for _ in range(period)] for _ in range(rows + 1)]

    def at(self, x, y):
        """x in cells (wrapping), y in cells from 0 to rows."""
        cx, cy = math.floor(x), math.floor(y)
        fx, fy = x - cx, y - cy
        fx, fy = fx * fx * (3.0 - 2.0 * fx), fy * fy * (3.0 - 2.0 * fy)
        x0, x1 = cx % self.period, (cx + 1) % self.period
        y0, y1 = min(max(cy, 0), self.rows), min(max(cy + 1, 0), self.rows)
        top = self.values[y0][x0] + (self.values[y0][x1] - self.values[y0][x0]) * fx
        bottom = self.values[y1][x0] + (self.values[y1][x1] - self.values[y1][x0]) * fx
        return top + (bottom - top) * fy


# Sky colour by elevation in degrees, from the zenith down to the nadir (8-bit sRGB).
SKY_STOPS = [(90, (28, 25, 78)), (60, (42, 40, 108)), (34, (72, 66, 142)), (16, (128, 104, 168)),
             (6, (196, 142, 160)), (0, (242, 178, 140)), (-5, (214, 148, 148)), (-16, (146, 102, 146)),
             (-40, (82, 62, 120)), (-90, (40, 32, 84))]
CLOUD_OCTAVES = [PeriodicNoise(200 + octave, 6 << octave, 12 << octave) for octave in range(5)]
SKY_WIDTH, SKY_HEIGHT = 512, 256


def piecewise(elevation):
    elevation = min(90.0, max(-90.0, elevation))
    for (upper, high), (lower, low) in zip(SKY_STOPS, SKY_STOPS[1:]):
        if elevation >= lower:
            return mix(high, low, (upper - elevation) / (upper - lower))
    return SKY_STOPS[-1][1]


@functools.lru_cache(maxsize=None)
def sky_gradient(elevation):
    """The stops joined by straight lines, then blurred over a few degrees: no kink at a stop shows as a line."""
    total, weight = (0.0, 0.0, 0.0), 0.0
    for step in range(-8, 9):
        w = math.exp(-0.5 * (step / 3.5) ** 2)
        total = mix(total, piecewise(elevation + step * 0.75), w / (weight + w))
        weight += w
    return total


def clouds(u, v):
    """Fractal noise, 0 to 1, stretched across so that the clouds lie in long soft bands."""
    total, weight, amplitude = 0.0, 0.0, 1.0
    for noise in CLOUD_OCTAVES:
        total += amplitude * noise.at(u * noise.period, v * noise.rows)
        weight += amplitude
        amplitude *= 0.55
    return total / weight


def sky(x, y):
    u = (x + 0.5) / SKY_WIDTH
    v = (y + 0.5) / SKY_HEIGHT
    elevation = 90.0 - 180.0 * v
    colour = sky_gradient(elevation)
    # The glow is warmest toward -z (u = 0.25 on the sphere), fading away from it round the horizon.
    toward = (0.5 + 0.5 * math.cos(2.0 * math.pi * (u - 0.25))) ** 2
    colour = mix(colour, (255, 210, 150), 0.5 * toward * math.exp(-abs(elevation) / 10.0))
    # Thin high clouds above the horizon and a soft sea of cloud below it, thickest near the horizon.
    band = (smoothstep(2.0, 8.0, elevation) * (1.0 - smoothstep(24.0, 46.0, elevation))
            + smoothstep(-2.0, -8.0, elevation) * (1.0 - smoothstep(-28.0, -60.0, elevation)))
    cover = smoothstep(0.46, 0.68, clouds(u, v)) * band
    # Clouds near the horizon catch the glow; higher and lower ones stay a cool lavender.
    lit = math.exp(-abs(elevation) / 16.0) * (0.55 + 0.45 * toward)
    cloud = mix((150, 134, 190), (255, 218, 200), lit)
    colour = mix(colour, cloud, 0.5 * cover)
    # A little deterministic dither so that the slow gradient shows no bands once magnified.
    dither = ((x * 73 + y * 151 + (x * y) % 7 * 29) % 16) / 16.0 - 0.47
    return tuple(min(255, max(0, int(c + dither + 0.5))) for c in colour) + (255,)


EYE_WIDTH, EYE_HEIGHT = 128, 64


def looker_eye(x, y):
    u = (x + 0.5) / EYE_WIDTH
    v = (y + 0.5) / EYE_HEIGHT
    polar = math.pi * v
    azimuth = 2.0 * math.pi * u
    # The sphere's point at this texel, as the mesh generator lays it out; its angle from +z.
    z = -math.sin(polar) * math.sin(azimuth)
    angle = math.degrees(math.acos(max(-1.0, min(1.0, z))))
    body = (84, 84, 96)
    # Soft edges over a degree or two, so the eye shows no stair steps when magnified.
    colour = mix(body, (236, 228, 200), 1.0 - smoothstep(30.0, 33.0, angle))
    colour = mix(colour, (150, 40, 30), 1.0 - smoothstep(17.0, 19.0, angle))
    colour = mix(colour, (12, 8, 8), 1.0 - smoothstep(9.0, 11.0, angle))
    return tuple(int(c + 0.5) for c in colour) + (255,)


def soft_disc(x, y):
    r = math.hypot((x + 0.5) / 32.0 - 1.0, (y + 0.5) / 32.0 - 1.0)
    alpha = 0.1 * max(0.0, 1.0 - r * r) ** 2
    return (255, 255, 255, int(alpha * 255.0 + 0.5))


TEXTURES = [
    ("Checker", 64, 64, checker, 'wrapMode="GL_REPEAT" mag="GL_NEAREST" min="GL_LINEAR_MIPMAP_LINEAR" mipMap="true"'),
    ("White", 4, 4, lambda x, y: (255, 255, 255, 255), ""),
    ("Gradient", 64, 64, lambda x, y: (x * 4, (63 - y) * 4, 0, 255), ""),
    ("Skybox_2", SKY_WIDTH, SKY_HEIGHT, sky, ""),
    ("LookerEye", EYE_WIDTH, EYE_HEIGHT, looker_eye, ""),
    ("SoftDisc", 64, 64, soft_disc, ""),
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
