"""Reading the collector's JSON-lines files into per-level counts, positions and times."""
import datetime
import json
import math
import re

DIE = "Brimora:Player:Die"
RESTART = "Brimora:GameLogic:Restart"
LOAD = "Brimora:GameLogic:Level_Load"
COMPLETED = "Brimora:GameLogic:Level_Completed"
TEST_EVENT = "HeatMapTest:HeatMapTest_1"
TEST_AREA = "TEST_AREA"
MAPPED = (DIE, RESTART)
_COUNTED = frozenset((LOAD, DIE, RESTART, COMPLETED))

# The collector stores what the game sent, and the game's client writes these three characters of a
# level path the analytics service's way: "$(CurrentLevel)" arrives as "%24%28CurrentLevel%29".
_SERVICE_ESCAPES = (("%24", "$"), ("%28", "("), ("%29", ")"))
# How many line numbers a message about bad lines names before it only counts them.
SHOWN_LINES = 5


def decode_area(area):
    for escaped, character in _SERVICE_ESCAPES:
        area = area.replace(escaped, character)
    return area


class LevelStats:
    """Everything the report says about one area (a level path as the game names it), or None: unknown."""

    def __init__(self, area):
        self.area = area
        self.loaded_sessions = set()
        self.completed_sessions = set()
        self.counts = {LOAD: 0, DIE: 0, RESTART: 0, COMPLETED: 0}
        # Per mapped event: the x and z of those with a position; how many had none or a bad one.
        self.xs = {DIE: [], RESTART: []}
        self.zs = {DIE: [], RESTART: []}
        self.unplaced = {DIE: 0, RESTART: 0}
        self.bad_position = {DIE: 0, RESTART: 0}
        self.durations = []

    def completion_rate(self):
        if not self.loaded_sessions:
            return None
        return len(self.completed_sessions & self.loaded_sessions) / len(self.loaded_sessions)

    def median_duration(self):
        if not self.durations:
            return None
        ordered = sorted(self.durations)
        middle = len(ordered) // 2
        return ordered[middle] if len(ordered) % 2 else (ordered[middle - 1] + ordered[middle]) / 2.0


class Problems:
    """Bad input, per file and kind, with the first few line numbers: one message each, not one per line."""

    def __init__(self):
        self.entries = {}

    def add(self, path, kind, line=None):
        entry = self.entries.setdefault((path, kind), [0, []])
        entry[0] += 1
        if line is not None and len(entry[1]) < SHOWN_LINES:
            entry[1].append(line)

    def messages(self):
        for (path, kind), (count, lines) in self.entries.items():
            where = ""
            if lines:
                where = " (line%s %s%s)" % ("s" if count > 1 else "", ", ".join(str(line) for line in lines),
                                             ", ..." if count > len(lines) else "")
            yield "%s: %s: %d%s" % (path, kind, count, where)


class Collection:
    def __init__(self):
        self.levels = {}
        self.test_xs = []
        self.test_zs = []
        self.test_unplaced = 0
        self.events = 0
        self.other_events = 0
        self.problems = Problems()
        self.file_errors = []

    def level(self, area):
        stats = self.levels.get(area)
        if stats is None:
            stats = self.levels[area] = LevelStats(area)
        return stats


def _coordinate(value):
    """A coordinate as the game writes it ("%.2f" text) or as a JSON number; None when it is neither."""
    if type(value) is bool:
        return None
    try:
        return float(value)
    except (TypeError, ValueError):
        return None


def read_files(paths):
    """Reads every file in order (a session may go on in the next file) into one Collection."""
    collection = Collection()
    state = _State()
    for path in paths:
        _read_file(path, collection, state)
    return collection


_EPOCH = datetime.datetime(1970, 1, 1)


class _State:
    """What reading carries from one event to the next, and from one file to the next."""

    def __init__(self):
        # Per session: the area it is in (the game sends deaths without one) and its pending load.
        self.current = {}
        self.pending = {}
        # Many events share an arrival second and an area: each text is parsed once.
        self.times = {}
        self.areas = {}

    def arrival(self, value):
        if type(value) is not str:
            return None
        try:
            return self.times[value]
        except KeyError:
            pass
        result = None
        if _TIME.match(value):
            try:
                moment = datetime.datetime(int(value[0:4]), int(value[5:7]), int(value[8:10]), int(value[11:13]),
                                           int(value[14:16]), int(value[17:19]))
                result = (moment - _EPOCH).total_seconds()
            except ValueError:
                result = None
        self.times[value] = result
        return result


# The collector's "received": its local time, "%Y-%m-%d %H:%M:%S"; only differences are used.
_TIME = re.compile(r"\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\Z")


def _open(path, collection):
    try:
        # Bad UTF-8 becomes U+FFFD: such a line is then not JSON, or its text is printable.
        return open(path, "r", encoding="utf-8", errors="replace", newline="\n")
    except FileNotFoundError:
        collection.file_errors.append("%s: no such file" % path)
    except IsADirectoryError:
        collection.file_errors.append("%s: is a folder, not a collector file" % path)
    except OSError as error:
        collection.file_errors.append("%s: cannot be read (%s)" % (path, error.strerror or error))
    return None


def _read_file(path, collection, state):
    handle = _open(path, collection)
    if handle is None:
        return
    problems = collection.problems
    levels = collection.levels
    current, areas = state.current, state.areas
    decode = json.JSONDecoder().raw_decode
    loads = json.loads
    isfinite = math.isfinite
    counted = _COUNTED
    mapped = MAPPED
    read = 0
    blank = True
    number = 0
    with handle:
        try:
            for number, line in enumerate(handle, 1):
                try:
                    # json.loads skips white space at both ends with a regular expression each time; a
                    # collector line has none in front and only its newline behind. Any other line takes
                    # the full parser.
                    try:
                        event, end = decode(line)
                        if end != len(line) and not line[end:].isspace():
                            raise ValueError("extra data")
                    except ValueError:
                        event = loads(line)
                except (ValueError, RecursionError):
                    if line.strip():
                        blank = False
                        problems.add(path, "lines that are not JSON, skipped", number)
                    continue
                blank = False
                if type(event) is not dict:
                    problems.add(path, "lines that are not an event object, skipped", number)
                    continue
                read += 1
                event_id = event.get("event_id")
                if type(event_id) is not str:
                    problems.add(path, "events without a text \"event_id\", skipped", number)
                    continue
                area = event.get("area")
                # No area means "where its session is" (the game sends deaths without one); a bad one, nowhere.
                nowhere = False
                if area is not None:
                    if type(area) is str:
                        decoded = areas.get(area)
                        if decoded is None:
                            decoded = areas[area] = decode_area(area)
                        area = decoded
                    else:
                        problems.add(path, "events whose \"area\" is not text, counted under the unknown level",
                                     number)
                        area = None
                        nowhere = True
                if area == TEST_AREA or event_id == TEST_EVENT:
                    _add_test(collection, event)
                    continue
                if event_id not in counted:
                    collection.other_events += 1
                    continue
                session = event.get("session_id")
                if type(session) is not str:
                    problems.add(path, "%s events without a text \"session_id\", counted but in no session"
                                 % event_id.rsplit(":", 1)[-1], number)
                    session = None
                if not area:
                    area = None if nowhere or session is None else current.get(session)
                elif session is not None:
                    current[session] = area
                stats = levels.get(area)
                if stats is None:
                    stats = collection.level(area)
                stats.counts[event_id] += 1
                if event_id in mapped:
                    raw_x, raw_y, raw_z = event.get("x"), event.get("y"), event.get("z")
                    if raw_x is None or raw_y is None or raw_z is None:
                        stats.unplaced[event_id] += 1
                        continue
                    try:
                        # The game's "%.2f" text, or a JSON number; float() takes both and refuses the rest.
                        x, y, z = float(raw_x), float(raw_y), float(raw_z)
                        if type(raw_x) is bool or type(raw_y) is bool or type(raw_z) is bool:
                            raise TypeError
                    except (TypeError, ValueError):
                        stats.bad_position[event_id] += 1
                        problems.add(path, "events whose x, y or z is not a number, left off the maps", number)
                        continue
                    if not (isfinite(x) and isfinite(y) and isfinite(z)):
                        stats.bad_position[event_id] += 1
                        problems.add(path, "events whose x, y or z is not finite, left off the maps", number)
                        continue
                    stats.xs[event_id].append(x)
                    stats.zs[event_id].append(z)
                elif session is not None:
                    _add_time(path, number, event_id, event, session, area, stats, state, problems)
        except OSError as error:
            collection.file_errors.append("%s: reading stopped at line %d (%s)"
                                          % (path, number + 1, error.strerror or error))
    collection.events += read
    if read == 0:
        collection.file_errors.append("%s: %s" % (path, "empty" if blank else "no event could be read"))


def _add_test(collection, event):
    x, y, z = _coordinate(event.get("x")), _coordinate(event.get("y")), _coordinate(event.get("z"))
    if x is None or y is None or z is None or not (math.isfinite(x) and math.isfinite(y) and math.isfinite(z)):
        collection.test_unplaced += 1
    else:
        collection.test_xs.append(x)
        collection.test_zs.append(z)


def _add_time(path, number, event_id, event, session, area, stats, state, problems):
    arrival = state.arrival(event.get("received"))
    if arrival is None:
        problems.add(path, "%s events without a readable \"received\" time, left out of the level times"
                     % event_id.rsplit(":", 1)[-1], number)
    if event_id == LOAD:
        stats.loaded_sessions.add(session)
        waiting = state.pending.get(session)
        # A restart or a reload of the level keeps its first load: the time counts every try.
        if waiting is None or waiting[0] != area:
            state.pending[session] = (area, arrival)
        return
    stats.completed_sessions.add(session)
    waiting = state.pending.pop(session, None)
    if waiting is None or waiting[0] != area or waiting[1] is None or arrival is None:
        return
    if arrival >= waiting[1]:
        stats.durations.append(arrival - waiting[1])
    else:
        problems.add(path, "completions that arrived before their load, left out of the level times", number)
