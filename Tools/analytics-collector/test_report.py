#!/usr/bin/python3
"""Tests of the heat-map report: python3 -m unittest discover -s Tools/analytics-collector -p 'test_*.py'."""
import contextlib
import io
import json
import os
import subprocess
import sys
import tempfile
import unittest

import numpy
from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from heatmap import cli, events, levels, render  # noqa: E402

AREA = "%24%28CurrentLevel%29Levels/Level_T.xml"
LEVEL = """<Level name="Level_T">
    <Player pos="0;1;0"/>
    <Floor pos="0;-0.5;-10" scale="20;1;30"/>
    <Wall pos="-10.5;2;-10" scale="1;4;30"/>
    <Door pos="0;1.5;-24" scale="2;3;1" nextLevel="$(CurrentLevel)Levels/Level_T.xml"/>
</Level>
"""


def event(event_id, session="s1", received="2026-01-01 10:00:00", area=AREA, position=None, **fields):
    record = {"user_id": "u", "session_id": session, "build": "BETA", "event_id": event_id, "game_key": "k",
              "category": "design", "received": received}
    if area is not None:
        record["area"] = area
    if position is not None:
        record.update(x="%.2f" % position[0], y="%.2f" % position[1], z="%.2f" % position[2])
    record.update(fields)
    return json.dumps(record)


def death(x, z, session="s1"):
    # As the game sends it: no area, the fall's position.
    return event(events.DIE, session=session, area=None, position=(x, -20.0, z))


class ReportCase(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)
        self.data = os.path.join(self.folder.name, "Data")
        os.makedirs(os.path.join(self.data, "Levels"))
        self.write(os.path.join("Data", "Levels", "Level_T.xml"), LEVEL)
        self.out = os.path.join(self.folder.name, "out")

    def write(self, name, text):
        path = os.path.join(self.folder.name, name)
        with open(path, "w", encoding="utf-8") as file:
            file.write(text)
        return path

    def events_file(self, lines, name="events.jsonl"):
        return self.write(name, "".join(line + "\n" for line in lines))

    def report(self, *files, data=None):
        stdout, stderr = io.StringIO(), io.StringIO()
        with contextlib.redirect_stdout(stdout), contextlib.redirect_stderr(stderr):
            try:
                status = cli.main(["--data", data or self.data, "--out", self.out] + list(files))
            except SystemExit as exit:
                status = exit.code
        self.assertNotIn("Traceback", stderr.getvalue())
        return status, stdout.getvalue(), stderr.getvalue()

    def row(self, table, label):
        for line in table.splitlines():
            if line.startswith(label + " "):
                return line.split()
        self.fail("no row %r in:\n%s" % (label, table))


class HeatMapTests(ReportCase):
    def test_brightest_pixel_and_counts(self):
        lines = [event(events.LOAD)] + [death(2.3, -15.2)] * 30 + [death(-5.1, -3.3)] * 5
        status, table, errors = self.report(self.events_file(lines))
        self.assertEqual(status, 0, errors)
        row = self.row(table, "Level_T")
        self.assertEqual(row[1:4], ["1", "35", "0"])
        self.assertIn("30 at 2;-16, 5 at -6;-4", table)

        level = levels.load_level(os.path.join(self.data, "Levels", "Level_T.xml"))
        frame = render.frame_for(level, [], [])
        image = numpy.asarray(Image.open(os.path.join(self.out, "Level_T_deaths.png")).convert("RGB"), dtype=float)
        picture = image[render.HEADER:render.HEADER + frame.height, render.LEFT:render.LEFT + frame.width]
        brightness = picture @ numpy.array([0.299, 0.587, 0.114])
        row_index, column_index = numpy.unravel_index(numpy.argmax(brightness), brightness.shape)
        expected = frame.pixel(2.3, -15.2)
        self.assertEqual((column_index, row_index), (int(expected[0]), int(expected[1])))

    def test_density_integrates_to_the_count(self):
        frame = render.Frame(0.0, 0.0, 20.0, 20.0)
        columns, rows, outside = frame.cells([10.0, 10.0, 5.0], [10.0, 10.0, 5.0])
        grid = render.density(frame, columns, rows)
        self.assertEqual(outside, 0)
        self.assertAlmostEqual(grid.sum() / render.PIXELS_PER_METRE ** 2, 3.0, places=3)
        self.assertEqual(numpy.unravel_index(numpy.argmax(grid), grid.shape), (rows[0], columns[0]))

    def test_added_kernels_match_the_convolution(self):
        # Few events take one way, many the other: both must give the same map, edges included.
        frame = render.Frame(0.0, 0.0, 30.0, 20.0)
        generator = numpy.random.default_rng(3)
        columns, rows, _ = frame.cells(generator.uniform(-2, 32, 200), generator.uniform(-2, 22, 200))
        kernel, radius = render._kernel()
        added = numpy.zeros((frame.height, frame.width))
        cells, counts = numpy.unique(rows * frame.width + columns, return_counts=True)
        render._add_kernels(added, cells // frame.width, cells % frame.width, counts, kernel, radius)
        convolved = numpy.zeros_like(added)
        render._convolve(convolved, columns, rows, kernel, radius)
        numpy.testing.assert_allclose(added, convolved, atol=1e-9)
        self.assertGreater(added.max(), 0.0)

    def test_far_positions_are_clipped_to_the_edge(self):
        frame = render.Frame(0.0, 0.0, 10.0, 10.0)
        columns, rows, outside = frame.cells([5.0, 500.0, -1e9, 9.99, 1e300], [5.0, 5.0, -3.0, 9.99, -1e300])
        self.assertEqual(outside, 3)
        self.assertEqual(list(columns), [5 * render.PIXELS_PER_METRE, frame.width - 1, 0, frame.width - 1,
                                         frame.width - 1])
        self.assertEqual(rows[-1], 0)
        status, _, errors = self.report(self.events_file([event(events.LOAD), death(900.0, -15.0), death(0.0, -10.0)]))
        self.assertEqual(status, 0)
        self.assertIn("Level_T: 1 death outside the map: drawn at its edge", errors)


    def test_a_huge_outline_is_cut_around_the_events(self):
        self.addCleanup(setattr, render, "MAX_METRES", render.MAX_METRES)
        render.MAX_METRES = 40.0
        path = self.write("huge.xml", '<Level><Floor pos="0;0;0" scale="1e6;1;30"/></Level>')
        frame = render.frame_for(levels.load_level(path), [100.0, 110.0, 120.0], [0.0, 0.0, 0.0])
        self.assertTrue(frame.cut)
        self.assertEqual((frame.width, frame.height), (40 * render.PIXELS_PER_METRE,) * 2)
        self.assertEqual((frame.min_x, frame.min_z), (90.0, -20.0))


class LevelTests(ReportCase):
    def level(self, body):
        path = self.write("level.xml", "<Level>%s</Level>" % body)
        return levels.load_level(path)

    def test_wall_rotated_about_y_swaps_its_extents(self):
        level = self.level('<Wall pos="0;2;0" scale="10;4;2" rotation="0;1;0;90"/><Floor pos="0;0;0" scale="30;1;30"/>')
        wall = next(box for box in level.boxes if box.tag == "Wall")
        xs = [x for x, _ in wall.corners()]
        zs = [z for _, z in wall.corners()]
        self.assertAlmostEqual(max(xs) - min(xs), 2.0)
        self.assertAlmostEqual(max(zs) - min(zs), 10.0)
        frame = render.frame_for(level, [], [])
        pixels = numpy.asarray(render.draw_outline(frame, level))
        wall_colour = render.STYLES["Wall"][1]

        def colour_at(x, z):
            column, row = frame.pixel(x, z)
            return tuple(pixels[int(row), int(column)])

        self.assertEqual(colour_at(0.0, 4.5), wall_colour)
        self.assertEqual(colour_at(0.0, -4.5), wall_colour)
        self.assertNotEqual(colour_at(4.5, 0.0), wall_colour)
        self.assertNotEqual(colour_at(-1.5, 0.0), wall_colour)

    def test_attributes_read_as_the_engine_reads_them(self):
        level = self.level('<Floor/><Wall pos="3;;x" scale="2;nan;2"/><MovingPlatform scale="2;1;2" A="1;0;-5"/>'
                           '<Jumper rotation="0;0;0;45"/><Sun pos="9;9;9"/>')
        floor, wall, end_a, end_b, jumper = level.boxes
        self.assertEqual((floor.x, floor.z, floor.half_x, floor.half_z), (0.0, 0.0, 0.5, 0.5))
        self.assertEqual((wall.x, wall.z, wall.half_x), (3.0, 0.0, 0.5))
        self.assertIn("'scale' of <Wall> is not a finite vector", level.warnings[0])
        self.assertEqual([(end_a.x, end_a.z), (end_b.x, end_b.z)], [(1.0, -5.0), (0.0, 0.0)])
        self.assertEqual(jumper.yaw, 0.0)
        self.assertAlmostEqual(levels.yaw_of((0.0, -2.0, 0.0, 90.0)), -levels.math.pi / 2)

    def test_missing_and_broken_level_files(self):
        with self.assertRaisesRegex(levels.LevelError, "level file missing"):
            levels.load_level(os.path.join(self.folder.name, "nothing.xml"))
        with self.assertRaisesRegex(levels.LevelError, "does not parse"):
            self.level("<Floor")
        path = self.write("other.xml", "<Object/>")
        with self.assertRaisesRegex(levels.LevelError, "not a level file"):
            levels.load_level(path)


class TimeTests(ReportCase):
    def test_median_time_from_load_to_completion(self):
        lines = [
            event(events.LOAD, "a", "2026-01-01 10:00:00"),
            event(events.RESTART, "a", "2026-01-01 10:00:20", position=(0, 1, -3)),
            event(events.LOAD, "a", "2026-01-01 10:00:21"),
            event(events.COMPLETED, "a", "2026-01-01 10:01:40"),
            event(events.LOAD, "b", "2026-01-01 11:00:00"),
            event(events.COMPLETED, "b", "2026-01-01 11:00:20"),
            event(events.LOAD, "c", "2026-01-01 23:59:40"),
            event(events.COMPLETED, "c", "2026-01-02 00:00:30"),
            event(events.LOAD, "d", "2026-01-01 12:00:00"),
            event(events.COMPLETED, "e", "2026-01-01 12:00:05"),
        ]
        collection = events.read_files([self.events_file(lines)])
        stats = collection.levels["$(CurrentLevel)Levels/Level_T.xml"]
        self.assertEqual(sorted(stats.durations), [20.0, 50.0, 100.0])
        self.assertEqual(stats.median_duration(), 50.0)
        self.assertAlmostEqual(stats.completion_rate(), 0.75)
        status, table, _ = self.report(self.events_file(lines))
        self.assertEqual(self.row(table, "Level_T")[1:8], ["4", "0", "1", "4", "75", "%", "50"])

    def test_even_median_and_no_times(self):
        stats = events.LevelStats("x")
        self.assertIsNone(stats.median_duration())
        self.assertIsNone(stats.completion_rate())
        stats.durations = [30.0, 10.0]
        self.assertEqual(stats.median_duration(), 20.0)


class BadInputTests(ReportCase):
    def test_bad_lines_are_counted_and_the_rest_used(self):
        lines = [event(events.LOAD), "not json", "{\"event_id\": ", "[1, 2]", "\"text\"", "",
                 json.dumps({"event_id": 7}), event(events.DIE, area=7, position=(1, 1, 1)),
                 event(events.DIE, area=None, x="nan", y="0", z="1"),
                 event(events.DIE, area=None, x="inf", y="0", z="1"),
                 event(events.DIE, area=None, x="abc", y="0", z="1"),
                 event(events.DIE, area=None, x=[1], y="0", z="1"),
                 event(events.DIE, area=None, x="1", y="0"),
                 event(events.LOAD, session=None, received="yesterday"),
                 event(events.COMPLETED, received="soon"),
                 "[" * 100000, " \t" + event(events.RESTART, position=(1, 2, 3)) + " "]
        status, table, errors = self.report(self.events_file(lines))
        self.assertEqual(status, 0, errors)
        self.assertIn("events.jsonl: lines that are not JSON, skipped: 3 (lines 2, 3, 16)", errors)
        self.assertIn("lines that are not an event object, skipped: 2 (lines 4, 5)", errors)
        self.assertIn("events without a text \"event_id\", skipped: 1 (line 7)", errors)
        self.assertIn("\"area\" is not text, counted under the unknown level: 1 (line 8)", errors)
        self.assertIn("x, y or z is not finite, left off the maps: 2 (lines 9, 10)", errors)
        self.assertIn("x, y or z is not a number, left off the maps: 2 (lines 11, 12)", errors)
        self.assertIn("Level_Load events without a text \"session_id\"", errors)
        self.assertIn("Level_Completed events without a readable \"received\" time", errors)
        self.assertEqual(self.row(table, "Level_T")[1:5], ["1", "5", "1", "1"])
        self.assertIn("Level_T: 5 deaths without a usable position: in the table, not on the map", table)
        self.assertIn("1 event of unknown levels: in the table, not on any map", table)
        self.assertEqual(self.row(table, "(unknown")[2:4], ["0", "1"])

    def test_unknown_levels_and_test_map(self):
        lines = [event(events.DIE, session="lost", area=None, position=(1, 1, 1)),
                 event(events.RESTART, area="MainMenu", position=(1, 1, 1)),
                 event(events.LOAD, area="%24%28Elsewhere%29Levels/Level_1.xml"),
                 event(events.TEST_EVENT, area=events.TEST_AREA, position=(1.12, 2.12, 3.99))]
        status, table, errors = self.report(self.events_file(lines))
        self.assertEqual(status, 0, errors)
        self.assertIn("3 events of unknown levels", table)
        self.assertIn("1 test event (HeatMapTest:HeatMapTest_1) on the test map", table)
        self.assertTrue(os.path.exists(os.path.join(self.out, "test_map.png")))
        self.assertEqual(sorted(os.listdir(self.out)), ["index.html", "test_map.png"])

    def test_missing_or_broken_level_keeps_its_row(self):
        self.write(os.path.join("Data", "Levels", "Level_B.xml"), "<Level><Floor pos=</Level>")
        lines = [event(events.LOAD, area="$(CurrentLevel)Levels/Level_Gone.xml"),
                 death(3.0, 4.0), death(3.0, 4.0),
                 event(events.LOAD, session="s2", area="$(CurrentLevel)Levels/Level_B.xml")]
        status, table, errors = self.report(self.events_file(lines))
        self.assertEqual(status, 0, errors)
        self.assertIn("level file missing: %s" % os.path.join(self.data, "Levels", "Level_Gone.xml"), errors)
        self.assertIn("level file does not parse", errors)
        self.assertEqual(self.row(table, "Level_Gone")[1:3], ["1", "2"])
        self.assertEqual(self.row(table, "Level_B")[1:3], ["1", "0"])
        for name in ("Level_Gone_deaths.png", "Level_Gone_restarts.png", "Level_B_deaths.png", "index.html"):
            self.assertTrue(os.path.exists(os.path.join(self.out, name)), name)
        with open(os.path.join(self.out, "index.html"), encoding="utf-8") as page:
            self.assertIn("level file missing", page.read())

    def test_empty_and_missing_collector_files(self):
        empty = self.write("empty.jsonl", "")
        blank = self.write("blank.jsonl", "\n\n")
        junk = self.write("junk.jsonl", "junk\n")
        missing = os.path.join(self.folder.name, "missing.jsonl")
        status, table, errors = self.report(empty, blank, junk, missing, self.folder.name)
        self.assertEqual(status, 1)
        self.assertEqual(table, "")
        for text in ("empty.jsonl: empty", "blank.jsonl: empty", "junk.jsonl: no event could be read",
                     "missing.jsonl: no such file", "is a folder", "nothing could be read: no report written"):
            self.assertIn(text, errors)
        self.assertFalse(os.path.exists(self.out))
        status, table, errors = self.report(missing, self.events_file([event(events.LOAD)]))
        self.assertEqual(status, 0)
        self.assertIn("missing.jsonl: no such file", errors)
        self.assertIn("Level_T ", table)

    def test_command_line(self):
        good = self.events_file([event(events.LOAD)])
        for arguments, message in (([], "the following arguments are required: FILE"),
                                   (["--data", os.path.join(self.folder.name, "nope"), good], "not a folder"),
                                   (["--out", good, good], "exists and is not a folder"),
                                   (["--bogus", good], "unrecognized arguments")):
            process = subprocess.run([sys.executable, os.path.join(HERE, "report")] + arguments,
                                     capture_output=True, text=True)
            self.assertEqual(process.returncode, 2, arguments)
            self.assertIn(message, process.stderr)
            self.assertIn("usage: report", process.stderr)
            self.assertNotIn("Traceback", process.stderr)
        bad = os.path.join(self.folder.name, "bad.jsonl")
        with open(bad, "wb") as file:
            file.write(b"\xff\xfe{\n\x00\n")
        process = subprocess.run([sys.executable, os.path.join(HERE, "report"), "--out", self.out, bad],
                                 capture_output=True, text=True)
        self.assertEqual((process.returncode, process.stdout), (1, ""))
        self.assertIn("lines that are not JSON, skipped: 2", process.stderr)
        self.assertNotIn("Traceback", process.stderr)

    def test_unwritable_output(self):
        blocker = self.write("blocker", "")
        good = self.events_file([event(events.LOAD)])
        stdout, stderr = io.StringIO(), io.StringIO()
        with contextlib.redirect_stdout(stdout), contextlib.redirect_stderr(stderr):
            status = cli.main(["--data", self.data, "--out", os.path.join(blocker, "sub"), good])
        self.assertEqual(status, 1)
        self.assertIn("cannot make the folder", stderr.getvalue())


if __name__ == "__main__":
    unittest.main()
