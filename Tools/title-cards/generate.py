#!/usr/bin/env python3
"""Writes the splash screen's title cards as PNG files.

Morvane.png and Brimora.png: 1024 x 512, opaque, a soft glow in the middle that falls off to pure
black at every edge, so that a card shown over the splash's black backdrop has no visible border.
Morvane's glow is a cold slate blue, Brimora's the warm violet and amber of the menu's evening sky.
Each has its title large in DejaVu Sans Bold, letter-spaced, a thin accent rule under it and a small
subtitle in DejaVu Sans ("engine", "a puzzle platformer"). Black.png: 4 x 4 opaque black, the
splash's backdrop. Their resource definitions go to Resources/TitleCards.xml, a pack of its own:
Tools/texture-generator rewrites Textures.xml whole. Pillow and the DejaVu fonts of /usr/share/fonts/truetype/dejavu; deterministic
bytes (no time stamps or text chunks are written).

Usage: generate.py [DATA_FOLDER]   (default: the repository's Data/ folder)
"""

import math
import sys
from pathlib import Path

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

FONTS = Path("/usr/share/fonts/truetype/dejavu")
WIDTH, HEIGHT = 1024, 512
# Drawn at twice the size and scaled down: smoother glyph edges and rule ends.
SUPERSAMPLE = 2

CARDS = [
    {
        "file": "Morvane.png",
        "title": "MORVANE",
        "subtitle": "engine",
        "glow": (38, 58, 92),
        "title_colour": (236, 242, 250),
        "accent": (110, 170, 235),
        "subtitle_colour": (160, 180, 205),
        "tracking": 0.16,
    },
    {
        "file": "Brimora.png",
        "title": "Brimora",
        "subtitle": "a puzzle platformer",
        "glow": (70, 40, 86),
        "title_colour": (255, 238, 214),
        "accent": (240, 170, 80),
        "subtitle_colour": (214, 190, 205),
        "tracking": 0.04,
    },
]


def background(glow):
    """An elliptical glow of `glow` in the middle, smoothly black at and beyond the edges."""
    image = Image.new("RGB", (WIDTH, HEIGHT))
    pixels = image.load()
    for y in range(HEIGHT):
        dy = (y - HEIGHT / 2) / (HEIGHT / 2)
        for x in range(WIDTH):
            dx = (x - WIDTH / 2) / (WIDTH / 2)
            distance = min(1.0, math.hypot(dx, dy))
            strength = (math.cos(distance * math.pi) + 1) / 2
            strength *= strength
            pixels[x, y] = tuple(round(channel * strength) for channel in glow)
    return image


def tracked_width(draw, text, font, tracking):
    spacing = font.size * tracking
    return sum(draw.textlength(letter, font=font) for letter in text) + spacing * (len(text) - 1)


def draw_tracked(draw, centre_x, top, text, font, tracking, fill):
    """`text` centred on `centre_x` with `tracking` (a fraction of the font size) between letters."""
    x = centre_x - tracked_width(draw, text, font, tracking) / 2
    for letter in text:
        draw.text((x, top), letter, font=font, fill=fill)
        x += draw.textlength(letter, font=font) + font.size * tracking


def card(spec):
    scale = SUPERSAMPLE
    image = background(spec["glow"]).resize((WIDTH * scale, HEIGHT * scale), Image.BICUBIC)
    title_font = ImageFont.truetype(str(FONTS / "DejaVuSans-Bold.ttf"), 132 * scale)
    subtitle_font = ImageFont.truetype(str(FONTS / "DejaVuSans.ttf"), 34 * scale)

    # A faint blurred copy of the title behind it, in the accent colour.
    halo = Image.new("RGB", image.size)
    halo_draw = ImageDraw.Draw(halo)
    centre = WIDTH * scale / 2
    title_top = 150 * scale
    draw_tracked(halo_draw, centre, title_top, spec["title"], title_font, spec["tracking"],
                 tuple(channel // 3 for channel in spec["accent"]))
    halo = halo.filter(ImageFilter.GaussianBlur(18 * scale))
    image = ImageChops.add(image, halo)

    draw = ImageDraw.Draw(image)
    draw_tracked(draw, centre, title_top, spec["title"], title_font, spec["tracking"], spec["title_colour"])
    rule_y = 330 * scale
    rule_half = 120 * scale
    draw.rounded_rectangle((centre - rule_half, rule_y, centre + rule_half, rule_y + 3 * scale),
                           radius=1.5 * scale, fill=spec["accent"])
    draw_tracked(draw, centre, rule_y + 22 * scale, spec["subtitle"], subtitle_font, 0.12,
                 spec["subtitle_colour"])
    return image.resize((WIDTH, HEIGHT), Image.LANCZOS)


def main():
    data = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parents[2] / "Data"
    textures = data / "Textures"
    for spec in CARDS:
        card(spec).save(textures / spec["file"], optimize=True)
    Image.new("RGB", (4, 4)).save(textures / "Black.png", optimize=True)
    definitions = "".join(
        f'    <Texture name="Texture_{name}" path="$(LocalFolder)Textures/{name}.png" multiThreaded="true"/>\n'
        for name in ("Morvane", "Brimora", "Black"))
    (data / "Resources" / "TitleCards.xml").write_text(
        "<ResourceSystem>\n    <!-- Written by Tools/title-cards/generate.py -->\n" + definitions
        + "</ResourceSystem>\n")


if __name__ == "__main__":
    main()
