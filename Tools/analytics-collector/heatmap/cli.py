"""The report's command line: read the collector's files, write the maps, the table and index.html."""
import argparse
import html
import math
import os
import re
import sys
from collections import Counter

from . import events as ev
from . import levels as lv
from . import render

PLACE_GRID_METRES = 2.0
UNKNOWN = "(unknown level)"
# The aliases a level path of the game starts with, and where each leads from the data folder.
_ALIASES = {"CurrentLevel": "", "LocalFolder": "", "DataFolder": "", "ConfigurationFolder": "Configuration/"}
_ALIAS = re.compile(r"\$\(([^)]*)\)")


def resolve_area(area, data):
    """The level file an area names, or None when it names no level file ("MainMenu", an unknown alias)."""
    if not area or not area.lower().endswith(".xml"):
        return None
    unknown = []

    def expand(match):
        if match.group(1) not in _ALIASES:
            unknown.append(match.group(1))
            return ""
        return os.path.join(data, _ALIASES[match.group(1)])

    path = _ALIAS.sub(expand, area)
    if unknown:
        return None
    return path if os.path.isabs(path) else os.path.join(data, path)


def level_label(area):
    if area is None:
        return UNKNOWN
    stem = re.split(r"[/\\]", area)[-1]
    return stem[:-4] if stem.lower().endswith(".xml") else stem


def _natural(text):
    return [int(piece) if piece.isdigit() else piece.lower() for piece in re.split(r"(\d+)", text)]


def top_places(xs, zs, count=3):
    """The grid cells (PLACE_GRID_METRES wide) with most events: ((x, z), n), most first, then by place."""
    grid = PLACE_GRID_METRES
    # Halves round up, not to even: neighbouring cells must not take turns.
    cells = Counter((math.floor(x / grid + 0.5) * grid, math.floor(z / grid + 0.5) * grid) for x, z in zip(xs, zs))
    return sorted(cells.items(), key=lambda item: (-item[1], item[0]))[:count]


def _place_text(places):
    # "+ 0.0" turns a -0 cell into 0.
    return ", ".join("%d at %g;%g" % (n, x + 0.0, z + 0.0) for (x, z), n in places) or "-"


def _duration_text(seconds):
    if seconds is None:
        return "-"
    if seconds < 60:
        return "%.0f s" % seconds
    return "%d min %02d s" % (seconds // 60, seconds % 60)


class Row:
    def __init__(self, stats, data):
        self.stats = stats
        self.label = level_label(stats.area)
        self.path = resolve_area(stats.area, data) if stats.area is not None else None
        self.level = None
        self.problem = None
        self.maps = {}
        self.anchor = None
        self.places = top_places(stats.xs[ev.DIE], stats.zs[ev.DIE])

    def cells(self):
        stats = self.stats
        rate = stats.completion_rate()
        return [self.label, str(len(stats.loaded_sessions)), str(stats.counts[ev.DIE]), str(stats.counts[ev.RESTART]),
                str(stats.counts[ev.COMPLETED]), "-" if rate is None else "%.0f %%" % (rate * 100),
                _duration_text(stats.median_duration()), _place_text(self.places)]


HEADINGS = ["Level", "Sessions", "Deaths", "Restarts", "Completions", "Completion rate", "Median time",
            "Most deaths (x;z, %g m grid)" % PLACE_GRID_METRES]


def text_table(rows):
    table = [HEADINGS] + [row.cells() for row in rows]
    widths = [max(len(line[index]) for line in table) for index in range(len(HEADINGS))]
    lines = []
    for number, line in enumerate(table):
        cells = [cell.ljust(width) if index in (0, 7) else cell.rjust(width)
                 for index, (cell, width) in enumerate(zip(line, widths))]
        lines.append("  ".join(cells).rstrip())
        if number == 0:
            lines.append("  ".join("-" * width for width in widths))
    return "\n".join(lines)


_STYLE = """body{font-family:DejaVu Sans,Verdana,sans-serif;background:#16181f;color:#e8eaf0;margin:24px}
table{border-collapse:collapse;margin-bottom:24px}th,td{padding:4px 10px;border-bottom:1px solid #3a3e4a}
th{text-align:left;color:#a0a5b2}td.n{text-align:right}a{color:#8fc7ff}.warn{color:#ffaa78}
.maps{display:flex;flex-wrap:wrap;gap:16px;align-items:flex-start}img{border:1px solid #3a3e4a}
.note{color:#a0a5b2}"""


def html_page(rows, test, notes, problems, sources):
    esc = html.escape
    out = ["<!DOCTYPE html>", "<html><head><meta charset=\"utf-8\"><title>Brimora heat maps</title>",
           "<style>%s</style></head><body>" % _STYLE, "<h1>Brimora heat maps</h1>",
           "<p class=\"note\">From %s.</p>" % esc(", ".join(sources)), "<table><tr>"]
    out.append("".join("<th>%s</th>" % esc(heading) for heading in HEADINGS) + "</tr>")
    for row in rows:
        cells = row.cells()
        label = esc(cells[0])
        if row.maps:
            label = "<a href=\"#%s\">%s</a>" % (esc(row.anchor), label)
        out.append("<tr><td>%s</td>%s<td>%s</td></tr>" % (
            label, "".join("<td class=\"n\">%s</td>" % esc(cell) for cell in cells[1:7]), esc(cells[7])))
    out.append("</table>")
    for note in notes:
        out.append("<p class=\"note\">%s</p>" % esc(note))
    if problems:
        out.append("<p class=\"warn\">Input problems:</p><ul class=\"warn\">%s</ul>"
                   % "".join("<li>%s</li>" % esc(problem) for problem in problems))
    for row in rows:
        if not row.maps:
            continue
        out.append("<h2 id=\"%s\">%s</h2>" % (esc(row.anchor), esc(row.label)))
        out.append("<p class=\"note\">%s%s</p>" % (esc(row.stats.area), " &mdash; <span class=\"warn\">%s</span>"
                                                     % esc(row.problem) if row.problem else ""))
        out.append("<div class=\"maps\">" + "".join("<a href=\"%s\"><img src=\"%s\" alt=\"%s\"></a>" % (
            esc(name), esc(name), esc("%s %s" % (row.label, kind))) for kind, name in row.maps.items()) + "</div>")
    if test is not None:
        out.append("<h2 id=\"test\">Test map</h2><p class=\"note\">The game's own test event (%s at %s), "
                   "on no outline: it shows the chain from the game to this page works.</p>"
                   % (esc(ev.TEST_EVENT), esc(ev.TEST_AREA)))
        out.append("<div class=\"maps\"><img src=\"%s\" alt=\"test map\"></div>" % esc(test))
    out.append("</body></html>")
    return "\n".join(out) + "\n"


def _file_name(label, used):
    base = re.sub(r"[^A-Za-z0-9_.-]+", "_", label).strip("._") or "level"
    name, number = base, 2
    while name in used:
        name = "%s_%d" % (base, number)
        number += 1
    used.add(name)
    return name


class ArgumentParser(argparse.ArgumentParser):
    def error(self, message):
        self.print_usage(sys.stderr)
        sys.stderr.write("report: %s\n" % message)
        sys.exit(2)


def parse_arguments(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    default_data = os.path.normpath(os.path.join(here, "..", "..", "..", "Data"))
    parser = ArgumentParser(prog="report", description="Heat maps and a summary table from the analytics "
                            "collector's JSON-lines files.")
    parser.add_argument("--data", default=default_data, metavar="DATA_FOLDER",
                        help="the game's data folder, which $(CurrentLevel) names (default: the repository's Data/)")
    parser.add_argument("--out", default="heatmap-report", metavar="FOLDER", help="folder the report is written to "
                        "(default: heatmap-report; made if missing)")
    parser.add_argument("files", nargs="+", metavar="FILE", help="collector file (JSON lines)")
    arguments = parser.parse_args(argv)
    if not os.path.isdir(arguments.data):
        parser.error("--data %s: not a folder" % arguments.data)
    if os.path.exists(arguments.out) and not os.path.isdir(arguments.out):
        parser.error("--out %s: exists and is not a folder" % arguments.out)
    return arguments


class Warnings:
    """Messages for standard error, kept for the page as well."""

    def __init__(self):
        self.messages = []

    def __call__(self, message):
        self.messages.append(message)
        sys.stderr.write("report: %s\n" % message)


def warn(message):
    sys.stderr.write("report: %s\n" % message)


def run(argv):
    arguments = parse_arguments(argv)
    warn = Warnings()
    collection = ev.read_files(arguments.files)
    for message in collection.file_errors:
        warn(message)
    for message in collection.problems.messages():
        warn(message)
    if collection.events == 0:
        warn("nothing could be read: no report written")
        return 1
    try:
        os.makedirs(arguments.out, exist_ok=True)
    except OSError as error:
        warn("%s: cannot make the folder (%s): no report written" % (arguments.out, error.strerror or error))
        return 1

    rows = [Row(stats, arguments.data) for stats in collection.levels.values()]
    rows.sort(key=lambda row: (row.stats.area is None, _natural(row.label)))
    notes = []
    used = set()
    unknown_events = 0
    for row in rows:
        stats = row.stats
        row.anchor = _file_name(row.label, used)
        if row.path is None:
            unknown_events += sum(stats.counts.values())
            continue
        try:
            row.level = lv.load_level(row.path)
            for message in row.level.warnings:
                warn(message)
        except lv.LevelError as error:
            row.problem = str(error)
            warn("%s (%s): the table keeps its row, the maps have no outline" % (error, row.label))
        for event_id, noun, kind in ((ev.DIE, ("death", "deaths"), "deaths"),
                                     (ev.RESTART, ("restart", "restarts"), "restarts")):
            name = "%s_%s.png" % (row.anchor, kind)
            unplaced = stats.unplaced[event_id] + stats.bad_position[event_id]
            request = render.MapRequest("%s: %s" % (row.label, kind), noun, stats.xs[event_id], stats.zs[event_id],
                                        level=row.level, level_problem=row.problem, unplaced=unplaced)
            _, outside, _, _ = render.render(request, os.path.join(arguments.out, name))
            if outside:
                warn("%s: %s outside the map: drawn at its edge" % (row.label, render.counted(outside, noun)))
            if unplaced:
                notes.append("%s: %s without a usable position: in the table, not on the map"
                             % (row.label, render.counted(unplaced, noun)))
            row.maps[kind] = name
    if unknown_events:
        notes.append("%s of unknown levels: in the table, not on any map"
                     % render.counted(unknown_events, ("event", "events")))

    test_name = None
    if collection.test_xs or collection.test_unplaced:
        test_name = "test_map.png"
        request = render.MapRequest("Test map: %s" % ev.TEST_AREA, ("test event", "test events"), collection.test_xs,
                                    collection.test_zs, unplaced=collection.test_unplaced,
                                    extra_notes=["The game sends %s at x 1.12, z 3.99: the spot belongs there."
                                                 % ev.TEST_EVENT])
        render.render(request, os.path.join(arguments.out, test_name))
        notes.append("%s (%s) on the test map"
                     % (render.counted(len(collection.test_xs), ("test event", "test events")), ev.TEST_EVENT))
    if collection.other_events:
        notes.append("%s of other kinds (start, close, buttons, ...) not used"
                     % render.counted(collection.other_events, ("event", "events")))

    sources = [path for path in arguments.files]
    with open(os.path.join(arguments.out, "index.html"), "w", encoding="utf-8") as page:
        page.write(html_page(rows, test_name, notes, warn.messages, sources))
    print(text_table(rows))
    for note in notes:
        print(note)
    print("Report: %s" % os.path.join(arguments.out, "index.html"))
    return 0


def main(argv=None):
    # A level name from a damaged file may hold U+FFFD: a terminal that cannot show it gets an escape.
    for stream in (sys.stdout, sys.stderr):
        if hasattr(stream, "reconfigure"):
            stream.reconfigure(errors="backslashreplace")
    try:
        return run(sys.argv[1:] if argv is None else argv)
    except KeyboardInterrupt:
        return 130
    except OSError as error:
        warn("%s: %s: report not finished" % (getattr(error, "filename", None) or "output", error.strerror or error))
        return 1
    except Exception as error:  # noqa: BLE001 - a designer's tool answers in one line, never a traceback
        warn("unexpected error, report not finished: %s: %s" % (type(error).__name__, error))
        return 1
