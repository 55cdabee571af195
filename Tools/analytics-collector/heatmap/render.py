"""Top-down heat maps: events smoothed with a Gaussian kernel over a level's outline, as PNG files."""
import functools
import math
import os

import numpy
from PIL import Image, ImageDraw, ImageFont

PIXELS_PER_METRE = 6
MARGIN_METRES = 8.0
SIGMA_METRES = 1.5
SCALE_BAR_METRES = 10
# The test event's map has no outline: this much around its points.
TEST_MARGIN_METRES = 10.0
MAX_METRES = 600.0

GRID_METRES = 10
HEADER = 74
LEFT = 46
PANEL = 220
FOOTER_LINE = 18
PAD = 12
LEGEND_BAR = 160

BACKGROUND = (22, 24, 31)
VOID = (34, 37, 46)
GRID = (46, 50, 61)
TICK = (110, 115, 128)
TEXT = (232, 234, 240)
DIM_TEXT = (160, 165, 178)
WARNING_TEXT = (255, 170, 120)
# Muted outline colours: the heat, drawn over them, must stay the loudest thing on the map.
STYLES = {
    "Floor": ("floor (lighter: higher)", (62, 68, 82), (98, 105, 122)),
    "GravityFloor": ("gravity floor", (62, 72, 112), (92, 106, 160)),
    "FloatingObject": ("floating platform", (58, 92, 98), (90, 130, 138)),
    "MovingPlatform": ("moving platform (A, B)", (52, 86, 100), (96, 160, 178)),
    "Wall": ("wall", (132, 136, 148), (160, 164, 176)),
    "Activatable": ("gate", (104, 84, 132), (136, 112, 168)),
    "Button": ("button", (156, 72, 72), (196, 100, 100)),
    "Bouncer": ("bouncer", (150, 138, 70), (184, 172, 96)),
    "Jumper": ("jumper", (70, 100, 160), (100, 132, 196)),
    "Door": ("exit door", (40, 150, 80), (100, 220, 130)),
}
DRAW_ORDER = ("Floor", "GravityFloor", "FloatingObject", "MovingPlatform", "Bouncer", "Jumper", "Button", "Activatable",
              "Wall", "Door")
DOOR_MARK = (100, 220, 130)
_LIFTED = ("Floor", "GravityFloor", "FloatingObject")
HEIGHT_LIGHTENING = 44
# Dimmer than the ramp's top: the brightest pixel of a map is always its hottest place.
START_MARK = (196, 198, 206)

# Inferno-like ramp (dark purple, red, orange, pale yellow): brighter means more, on a dark map.
_RAMP_STOPS = numpy.array([0.0, 0.14, 0.29, 0.43, 0.57, 0.71, 0.86, 1.0])
_RAMP_COLOURS = numpy.array([(87, 16, 110), (130, 30, 108), (172, 46, 90), (212, 72, 66), (238, 105, 37),
                             (251, 145, 10), (250, 193, 39), (252, 255, 164)], dtype=float)

_Z_RLE = 3
_FONT_FOLDERS = ("/usr/share/fonts/truetype/dejavu",)


@functools.lru_cache(maxsize=None)
def _font(size, bold=False):
    name = "DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf"
    for folder in _FONT_FOLDERS:
        try:
            return ImageFont.truetype(os.path.join(folder, name), size)
        except OSError:
            continue
    return ImageFont.load_default()


class Frame:
    """The map's window onto the level in metres, and the fixed scale that turns it into pixels."""

    def __init__(self, min_x, min_z, max_x, max_z):
        self.min_x, self.min_z = min_x, min_z
        self.cut = False
        self.width = max(1, int(math.ceil((max_x - min_x) * PIXELS_PER_METRE)))
        self.height = max(1, int(math.ceil((max_z - min_z) * PIXELS_PER_METRE)))

    @classmethod
    def around(cls, bounds, margin):
        min_x, min_z, max_x, max_z = bounds
        return cls(min_x - margin, min_z - margin, max_x + margin, max_z + margin)

    @property
    def max_x(self):
        return self.min_x + self.width / PIXELS_PER_METRE

    @property
    def max_z(self):
        return self.min_z + self.height / PIXELS_PER_METRE

    def grid_lines(self, axis):
        low, high = (self.min_x, self.max_x) if axis == "x" else (self.min_z, self.max_z)
        first = int(math.ceil(low / GRID_METRES))
        return [step * GRID_METRES for step in range(first, int(math.floor(high / GRID_METRES)) + 1)]

    def pixel(self, x, z):
        return (x - self.min_x) * PIXELS_PER_METRE, (z - self.min_z) * PIXELS_PER_METRE

    def cells(self, xs, zs):
        """Pixel columns and rows of positions, clipped to the map; and how many had to be clipped."""
        columns = numpy.floor((numpy.asarray(xs, dtype=float) - self.min_x) * PIXELS_PER_METRE)
        rows = numpy.floor((numpy.asarray(zs, dtype=float) - self.min_z) * PIXELS_PER_METRE)
        outside = (columns < 0) | (columns >= self.width) | (rows < 0) | (rows >= self.height)
        # Clipped while still floats: a position of 1e20 m has no integer pixel.
        numpy.clip(columns, 0, self.width - 1, out=columns)
        numpy.clip(rows, 0, self.height - 1, out=rows)
        return columns.astype(numpy.int64), rows.astype(numpy.int64), int(numpy.count_nonzero(outside))


def _fast_size(minimum):
    # FFT lengths with only small prime factors keep numpy's transform quick.
    size = minimum
    while True:
        rest = size
        for prime in (2, 3, 5):
            while rest % prime == 0:
                rest //= prime
        if rest == 1:
            return size
        size += 1


def _smooth_rows(padded, kernel, radius, width):
    """Each row of `padded` (its values, then zeros to an FFT length at least `width` + 2 `radius`)
    convolved with the kernel; rows are contiguous, and 1-D real transforms along them cost a third of
    a 2-D transform."""
    size = padded.shape[1]
    spectrum = numpy.fft.rfft(padded, axis=1)
    spectrum *= numpy.fft.rfft(kernel, size)
    return numpy.fft.irfft(spectrum, size, axis=1)[:, radius:radius + width]


def _kernel():
    sigma = SIGMA_METRES * PIXELS_PER_METRE
    radius = int(math.ceil(3.0 * sigma))
    taps = numpy.arange(-radius, radius + 1, dtype=float)
    kernel = numpy.exp(-0.5 * (taps / sigma) ** 2)
    return kernel / kernel.sum(), radius


def density(frame, columns, rows):
    """Events per square metre at each pixel: the pixel counts convolved with a normalised Gaussian.
    A few occupied pixels each add the kernel; many are convolved at once over the box that holds them."""
    grid = numpy.zeros((frame.height, frame.width))
    if len(columns) == 0:
        return grid
    kernel, radius = _kernel()
    cells, counts = numpy.unique(rows * frame.width + columns, return_counts=True)
    box_area = (min(frame.height, int(rows.max()) + radius + 1) - max(0, int(rows.min()) - radius)) * \
        (min(frame.width, int(columns.max()) + radius + 1) - max(0, int(columns.min()) - radius))
    # Measured: adding one kernel costs about as much as the transforms spend on 150 pixels of the box.
    if len(cells) * 150 <= box_area:
        _add_kernels(grid, cells // frame.width, cells % frame.width, counts, kernel, radius)
    else:
        _convolve(grid, columns, rows, kernel, radius)
    # Rounding leaves traces of about 1e-15 where nothing is; a real kernel tail is far above that.
    grid[grid < 1e-9] = 0.0
    return grid


def _add_kernels(grid, rows, columns, counts, kernel, radius):
    patch = numpy.outer(kernel, kernel) * (PIXELS_PER_METRE * PIXELS_PER_METRE)
    size = patch.shape[0]
    height, width = grid.shape
    for row, column, count in zip(rows.tolist(), columns.tolist(), counts.tolist()):
        # The patch's part that lies on the map.
        top, left = row - radius, column - radius
        first_row, first_column = max(0, -top), max(0, -left)
        last_row, last_column = min(size, height - top), min(size, width - left)
        grid[top + first_row:top + last_row, left + first_column:left + last_column] += \
            count * patch[first_row:last_row, first_column:last_column]


def _convolve(grid, columns, rows, kernel, radius):
    """The kernel is separable: rows, then columns, each through 1-D FFTs padded so nothing wraps round."""
    top = max(0, int(rows.min()) - radius)
    bottom = min(grid.shape[0], int(rows.max()) + radius + 1)
    left = max(0, int(columns.min()) - radius)
    right = min(grid.shape[1], int(columns.max()) + radius + 1)
    height, width = bottom - top, right - left
    # Counted straight into rows of the transform's length: the zeros after each row are its padding.
    size_x = _fast_size(width + 2 * radius)
    counts = numpy.bincount((rows - top) * size_x + (columns - left), minlength=height * size_x)
    smoothed = _smooth_rows(counts.reshape(height, size_x).astype(float), kernel, radius, width)
    size_y = _fast_size(height + 2 * radius)
    turned = numpy.zeros((width, size_y))
    turned[:, :height] = smoothed.T
    # The second pass also turns counts per pixel into counts per square metre.
    smoothed = _smooth_rows(turned, kernel * (PIXELS_PER_METRE * PIXELS_PER_METRE), radius, height)
    grid[top:bottom, left:right] = smoothed.T


def _ramp(values):
    result = numpy.empty(numpy.shape(values) + (3,))
    for channel in range(3):
        result[..., channel] = numpy.interp(values, _RAMP_STOPS, _RAMP_COLOURS[:, channel])
    return result


def _alpha(share):
    # Faint tails fade in, so the outline shows through them; the peak is opaque.
    return numpy.clip(share / 0.04, 0.0, 1.0) * (0.55 + 0.45 * numpy.sqrt(share))


# Colour and opacity by share of the peak in 256 steps: the pixels next to a peak already take a lower
# step than the peak itself, so the hottest place keeps the brightest pixel.
_STEPS = 256
_SHARES = numpy.linspace(0.0, 1.0, _STEPS)
_COLOUR_TABLE = numpy.clip(_ramp(_SHARES) + 0.5, 0, 255).astype(numpy.uint8)
_ALPHA_TABLE = [int(value) for value in numpy.clip(_alpha(_SHARES) * 255.0 + 0.5, 0, 255)]
_PALETTE = [int(value) for value in _COLOUR_TABLE.reshape(-1)]


def _blend_heat(base, grid):
    """Lays the heat over the outline, in place, only over the part of the map that has any."""
    peak = float(grid.max())
    if peak <= 0.0:
        return base
    rows = numpy.flatnonzero(grid.any(axis=1))
    columns = numpy.flatnonzero(grid.any(axis=0))
    top, bottom, left, right = rows[0], rows[-1] + 1, columns[0], columns[-1] + 1
    steps = (grid[top:bottom, left:right] * ((_STEPS - 1) / peak) + 0.5).astype(numpy.uint8)
    shares = Image.fromarray(steps, "L")
    heat = shares.copy()
    heat.putpalette(_PALETTE)
    base.paste(heat.convert("RGB"), (int(left), int(top)), shares.point(_ALPHA_TABLE))
    return base


def _polygon(frame, box):
    return [frame.pixel(x, z) for x, z in box.corners()]


def draw_outline(frame, level):
    image = Image.new("RGB", (frame.width, frame.height), VOID)
    draw = ImageDraw.Draw(image)
    # The coordinate grid lies under the outline: it helps find a place in the void, never hides a box.
    for x in frame.grid_lines("x"):
        column = frame.pixel(x, 0)[0]
        draw.line([(column, 0), (column, frame.height)], fill=GRID)
    for z in frame.grid_lines("z"):
        row = frame.pixel(0, z)[1]
        draw.line([(0, row), (frame.width, row)], fill=GRID)
    if level is None:
        return image
    rank = {tag: index for index, tag in enumerate(DRAW_ORDER)}
    tops = [box.top for box in level.boxes if box.tag in _LIFTED]
    low, span = (min(tops), max(tops) - min(tops)) if tops else (0.0, 0.0)
    # Lower boxes first, so a ledge over a floor covers it as it does from above.
    for box in sorted(level.boxes, key=lambda box: (box.top, rank.get(box.tag, 0))):
        _, fill, edge = STYLES[box.tag]
        if box.tag in _LIFTED and span > 0.0:
            # A walkway over the ground would vanish in it: the higher a floor, the lighter.
            lift = int(HEIGHT_LIGHTENING * (box.top - low) / span)
            fill = tuple(min(255, channel + lift) for channel in fill)
        draw.polygon(_polygon(frame, box), fill=fill, outline=edge)
    platforms = [box for box in level.boxes if box.tag == "MovingPlatform"]
    for first, second in zip(platforms[0::2], platforms[1::2]):
        draw.line([frame.pixel(first.x, first.z), frame.pixel(second.x, second.z)], fill=STYLES["MovingPlatform"][2])
    return image


def _draw_marks(image, frame, level, font):
    """The exit and the start, over the heat: they must stay visible where many events cover them."""
    if level is None:
        return
    draw = ImageDraw.Draw(image)
    for box in level.boxes:
        if box.tag == "Door":
            points = _polygon(frame, box)
            xs = [point[0] for point in points]
            ys = [point[1] for point in points]
            draw.rectangle([min(xs) - 3, min(ys) - 3, max(xs) + 3, max(ys) + 3], outline=DOOR_MARK, width=2)
            draw.text((max(xs) + 6, (min(ys) + max(ys)) / 2), "exit", fill=DOOR_MARK, font=font, anchor="lm")
    if level.start is not None:
        x, y = frame.pixel(*level.start)
        draw.ellipse([x - 4, y - 4, x + 4, y + 4], outline=START_MARK, width=2)
        draw.text((x + 7, y), "start", fill=START_MARK, font=font, anchor="lm")


def counted(number, noun):
    """"1 death", "3 deaths": `noun` is (singular, plural)."""
    return "%d %s" % (number, noun[0] if number == 1 else noun[1])


class MapRequest:
    """One picture: what it shows ((singular, plural) noun), over which level, and the notes under it."""

    def __init__(self, title, noun, xs, zs, level=None, level_problem=None, unplaced=0, extra_notes=()):
        self.title = title
        self.noun = noun
        self.xs = xs
        self.zs = zs
        self.level = level
        self.level_problem = level_problem
        self.unplaced = unplaced
        self.extra_notes = list(extra_notes)


def frame_for(level, xs, zs):
    """The level's outline with a margin; without one, the events' own spread (or a small square).
    A side longer than MAX_METRES is cut to that much around the middle of the events (else of the
    outline): one far-flung box or position must not make a picture of gigabytes."""
    bounds = level.bounds() if level is not None else None
    if bounds is not None:
        frame = Frame.around(bounds, MARGIN_METRES)
    elif len(xs):
        bounds = (min(xs), min(zs), max(xs), max(zs))
        frame = Frame.around(bounds, TEST_MARGIN_METRES)
    else:
        return Frame.around((0.0, 0.0, 0.0, 0.0), TEST_MARGIN_METRES)
    if frame.width <= MAX_METRES * PIXELS_PER_METRE and frame.height <= MAX_METRES * PIXELS_PER_METRE:
        return frame
    if len(xs):
        middle_x, middle_z = float(numpy.median(xs)), float(numpy.median(zs))
    else:
        middle_x, middle_z = (bounds[0] + bounds[2]) / 2.0, (bounds[1] + bounds[3]) / 2.0
    low_x, high_x = _cut(frame.min_x, frame.max_x, middle_x)
    low_z, high_z = _cut(frame.min_z, frame.max_z, middle_z)
    frame = Frame(low_x, low_z, high_x, high_z)
    frame.cut = True
    return frame


def _cut(low, high, middle):
    if high - low <= MAX_METRES:
        return low, high
    start = min(max(low, middle - MAX_METRES / 2.0), high - MAX_METRES)
    return start, start + MAX_METRES


def _legend_entries(level):
    tags = {box.tag for box in level.boxes} if level is not None else set()
    entries = [tag for tag in DRAW_ORDER if tag in tags]
    if level is not None and level.start is not None:
        entries.append("start")
    return entries


def render(request, path):
    """Writes the PNG; returns how many events it drew, how many of those it clipped to the edge, the
    frame and the density grid (events per m², one value per map pixel)."""
    frame = frame_for(request.level, request.xs, request.zs)
    columns, rows, outside = frame.cells(request.xs, request.zs)
    grid = density(frame, columns, rows)
    fonts = {"title": _font(20, bold=True), "text": _font(13), "small": _font(11), "bold": _font(13, bold=True)}

    notes = []
    if request.level_problem:
        notes.append((request.level_problem, WARNING_TEXT))
    if request.unplaced:
        notes.append(("%s without a usable position: counted, not drawn" % counted(request.unplaced, request.noun),
                      DIM_TEXT))
    if outside:
        notes.append(("%s outside the map: drawn at its edge" % counted(outside, request.noun), WARNING_TEXT))
    if frame.cut:
        notes.append(("the outline or the events reach over more than %d m: the map shows %d m around the events"
                      % (MAX_METRES, MAX_METRES), WARNING_TEXT))
    notes.extend((note, DIM_TEXT) for note in request.extra_notes)

    entries = _legend_entries(request.level)
    legend_height = 24 + LEGEND_BAR + 40 + 19 * len(entries)
    map_width = max(frame.width, 200)
    map_height = max(frame.height, legend_height)
    panel_left = LEFT + map_width + 2 * PAD
    width = panel_left + PANEL
    height = HEADER + map_height + 44 + FOOTER_LINE * len(notes)
    canvas = Image.new("RGB", (width, height), BACKGROUND)

    picture = _blend_heat(draw_outline(frame, request.level), grid)
    _draw_marks(picture, frame, request.level, fonts["small"])
    if request.level_problem and request.level is None:
        ImageDraw.Draw(picture).text((frame.width / 2, 8), "level file missing", fill=WARNING_TEXT,
                                     font=fonts["bold"], anchor="mt")
    canvas.paste(picture, (LEFT, HEADER))

    draw = ImageDraw.Draw(canvas)
    draw.rectangle([LEFT - 1, HEADER - 1, LEFT + frame.width, HEADER + frame.height], outline=TICK)
    draw.text((PAD, 8), request.title, fill=TEXT, font=fonts["title"])
    draw.text((PAD, 34), "%s on the map; Gaussian kernel, sigma %.1f m; x right, z down"
              % (counted(len(request.xs), request.noun), SIGMA_METRES), fill=DIM_TEXT, font=fonts["small"])
    _draw_axes(draw, frame, fonts["small"])
    _draw_legend(draw, panel_left, HEADER, grid, request.noun, request.level, entries, fonts)
    _draw_scale_bar(draw, LEFT, HEADER + map_height + 14, fonts)
    y = HEADER + map_height + 36
    for note, colour in notes:
        draw.text((LEFT, y), note, fill=colour, font=fonts["text"])
        y += FOOTER_LINE
    # zlib's run-length strategy: as small as the default on these maps, and several times quicker.
    canvas.save(path, compress_type=_Z_RLE)
    return len(request.xs), outside, frame, grid


def _draw_axes(draw, frame, font):
    for x in frame.grid_lines("x"):
        column = LEFT + frame.pixel(x, 0)[0]
        draw.line([(column, HEADER - 5), (column, HEADER - 2)], fill=TICK)
        draw.text((column, HEADER - 7), "%d" % x, fill=DIM_TEXT, font=font, anchor="md")
    for z in frame.grid_lines("z"):
        row = HEADER + frame.pixel(0, z)[1]
        draw.line([(LEFT - 5, row), (LEFT - 2, row)], fill=TICK)
        draw.text((LEFT - 7, row), "%d" % z, fill=DIM_TEXT, font=font, anchor="rm")


def _draw_legend(draw, left, top, grid, noun, level, entries, fonts):
    peak = float(grid.max())
    draw.text((left, top), "%s per m²" % noun[1], fill=TEXT, font=fonts["bold"])
    bar_top, bar_width = top + 24, 18
    for offset in range(LEGEND_BAR):
        share = 1.0 - offset / (LEGEND_BAR - 1)
        colour = tuple(int(value) for value in _COLOUR_TABLE[int(share * (_STEPS - 1) + 0.5)])
        draw.line([(left, bar_top + offset), (left + bar_width, bar_top + offset)], fill=colour)
    draw.rectangle([left - 1, bar_top - 1, left + bar_width + 1, bar_top + LEGEND_BAR], outline=TICK)
    if peak > 0:
        for share in (1.0, 0.5, 0.0):
            y = bar_top + (1.0 - share) * (LEGEND_BAR - 1)
            draw.line([(left + bar_width + 2, y), (left + bar_width + 6, y)], fill=DIM_TEXT)
            label = "%.3g" % (peak * share) + (" (peak)" if share == 1.0 else "")
            draw.text((left + bar_width + 10, y), label, fill=TEXT, font=fonts["small"], anchor="lm")
    else:
        draw.text((left + bar_width + 10, bar_top + LEGEND_BAR / 2), "none on the map", fill=DIM_TEXT,
                  font=fonts["small"], anchor="lm")
    y = bar_top + LEGEND_BAR + 24
    for entry in entries:
        if entry == "start":
            draw.ellipse([left + 5, y + 2, left + 13, y + 10], outline=START_MARK, width=2)
            label = "player start"
        else:
            label, fill, edge = STYLES[entry]
            draw.rectangle([left, y, left + 18, y + 12], fill=fill, outline=edge)
        draw.text((left + 26, y + 6), label, fill=TEXT, font=fonts["small"], anchor="lm")
        y += 19


def _draw_scale_bar(draw, left, top, fonts):
    length = SCALE_BAR_METRES * PIXELS_PER_METRE
    draw.rectangle([left, top, left + length // 2, top + 5], fill=TEXT)
    draw.rectangle([left + length // 2, top, left + length, top + 5], outline=TEXT)
    draw.text((left + length + 8, top + 3), "%d m  (%d px per metre, grid %d m)"
              % (SCALE_BAR_METRES, PIXELS_PER_METRE, GRID_METRES), fill=TEXT, font=fonts["small"], anchor="lm")
