"""Level outlines: the box-shaped elements of a level file, seen from above (x right, z down)."""
import math
import re
import xml.etree.ElementTree as ElementTree
from dataclasses import dataclass, field

# The tags the game places as boxes the player can stand on or run into, and the archetype of
# "FloatingObject" that is one (the stones of levels 3 and 6: without them a jump looks like a void).
BOX_TAGS = ("Floor", "Wall", "Door", "Button", "Activatable", "Bouncer", "Jumper", "MovingPlatform")
FLOATING_PLATFORM = "FloatingPlatform.xml"
# A floor of this archetype turns gravity toward it: often a ceiling, worth telling apart from above.
GRAVITY_PLATFORM = "GravityPlatform.xml"

# What C's atof takes from the front of a piece; anything else reads as 0, as in the engine.
_NUMBER = re.compile(r"\s*[+-]?(?:(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?|inf(?:inity)?|nan)", re.IGNORECASE)


def _atof(text):
    match = _NUMBER.match(text)
    return float(match.group(0)) if match else 0.0


def read_vector(text, size):
    """"x;y;z" as the engine reads it: missing pieces are 0, a piece is read up to its first non-number."""
    values = [0.0] * size
    for index, piece in enumerate(text.split(";")[:size]):
        values[index] = _atof(piece)
    return values


def yaw_of(rotation):
    """Radians about +y of an "axis_x;axis_y;axis_z;degrees" rotation: its twist about y, so a rotation
    about y alone is its own angle and a tilted one keeps only its turn seen from above."""
    ax, ay, az, degrees = rotation
    length = math.sqrt(ax * ax + ay * ay + az * az)
    if length == 0.0:
        return 0.0
    half = math.radians(degrees) * 0.5
    w = math.cos(half)
    qy = ay / length * math.sin(half)
    if w == 0.0 and qy == 0.0:
        return 0.0
    return 2.0 * math.atan2(qy, w)


@dataclass
class Box:
    tag: str
    x: float
    z: float
    half_x: float
    half_z: float
    yaw: float
    top: float

    def corners(self):
        """The footprint's corners in metres (x, z); the rotation about y maps local x to (cos, -sin)."""
        cos, sin = math.cos(self.yaw), math.sin(self.yaw)
        points = []
        for lx, lz in ((-self.half_x, -self.half_z), (self.half_x, -self.half_z),
                       (self.half_x, self.half_z), (-self.half_x, self.half_z)):
            points.append((self.x + cos * lx + sin * lz, self.z - sin * lx + cos * lz))
        return points


@dataclass
class Level:
    path: str
    name: str
    boxes: list = field(default_factory=list)
    start: tuple = None
    warnings: list = field(default_factory=list)

    def bounds(self):
        """(min x, min z, max x, max z) of every footprint and the start, or None for an empty outline."""
        xs, zs = [], []
        for box in self.boxes:
            for x, z in box.corners():
                xs.append(x)
                zs.append(z)
        if self.start is not None:
            xs.append(self.start[0])
            zs.append(self.start[1])
        if not xs:
            return None
        return min(xs), min(zs), max(xs), max(zs)


class LevelError(Exception):
    """A level file that is missing or cannot be read; the text says which."""


def _attribute(element, name, default, size, level):
    text = element.get(name)
    if text is None:
        return list(default)
    values = read_vector(text, size)
    if not all(math.isfinite(value) for value in values):
        # The engine falls back to the default for a vector that is not finite; so does the map.
        level.warnings.append("%s: '%s' of <%s> is not a finite vector: '%s'; the default is used"
                              % (level.path, name, element.tag, text))
        return list(default)
    return values


def _end(element, name, level):
    # The platform reads its ends without a default: a missing one is the origin, as in the game.
    values = read_vector(element.get(name, ""), 3)
    if not all(math.isfinite(value) for value in values):
        level.warnings.append("%s: '%s' of <%s> is not a finite vector: '%s'; the origin is used"
                              % (level.path, name, element.tag, element.get(name)))
        return [0.0, 0.0, 0.0]
    return values


def load_level(path):
    try:
        root = ElementTree.parse(path).getroot()
    except FileNotFoundError:
        raise LevelError("level file missing: %s" % path) from None
    except ElementTree.ParseError as error:
        raise LevelError("level file does not parse: %s (%s)" % (path, error)) from None
    except OSError as error:
        raise LevelError("level file cannot be read: %s (%s)" % (path, error.strerror or error)) from None
    if root.tag != "Level":
        raise LevelError("not a level file (root <%s>, not <Level>): %s" % (root.tag, path))
    level = Level(path=path, name=root.get("name") or "")
    for element in root:
        tag = element.tag
        if not isinstance(tag, str):
            continue
        if tag == "Player" and level.start is None:
            position = _attribute(element, "pos", (0.0, 0.0, 0.0), 3, level)
            level.start = (position[0], position[2])
            continue
        floating = tag == "FloatingObject" and element.get("archetype") == FLOATING_PLATFORM
        if tag not in BOX_TAGS and not floating:
            continue
        position = _attribute(element, "pos", (0.0, 0.0, 0.0), 3, level)
        scale = _attribute(element, "scale", (1.0, 1.0, 1.0), 3, level)
        yaw = yaw_of(_attribute(element, "rotation", (0.0, 1.0, 0.0, 0.0), 4, level))
        # A moving platform is drawn where it turns back: it never rests at "pos" for long.
        if tag == "MovingPlatform":
            places = [_end(element, end, level) for end in ("A", "B")]
        else:
            places = [position]
        if floating:
            tag = "FloatingObject"
        elif tag == "Floor" and element.get("archetype") == GRAVITY_PLATFORM:
            tag = "GravityFloor"
        for place in places:
            level.boxes.append(Box(tag, place[0], place[2],
                                   abs(scale[0]) * 0.5, abs(scale[2]) * 0.5, yaw, place[1] + abs(scale[1]) * 0.5))
    return level
