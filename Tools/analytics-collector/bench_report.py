#!/usr/bin/python3
"""Times the heat-map report on synthetic collector events against a bare loop that only reads and
parses the same JSON lines, and prints the ratio, and that of the report's reading alone.

    Tools/analytics-collector/bench_report.py [--events 100000] [--repeat 3]

The events fall on the six shipped levels (Data/Levels), in sessions of a load, deaths, restarts, other
events and mostly a completion. As players do, most deaths gather at a few places of each level (a pit,
an edge: a spread of 2 m); the others and the restarts are spread over its whole outline.
"""
import argparse
import contextlib
import io
import json
import os
import random
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from heatmap import cli, events, levels  # noqa: E402

DATA = os.path.normpath(os.path.join(HERE, "..", "..", "Data"))


def write_events(path, count, seed=1):
    generator = random.Random(seed)
    outlines = []
    for number in range(1, 7):
        level = levels.load_level(os.path.join(DATA, "Levels", "Level_%d.xml" % number))
        min_x, min_z, max_x, max_z = level.bounds()
        spots = [(generator.uniform(min_x, max_x), generator.uniform(min_z, max_z)) for _ in range(5)]
        outlines.append(("%%24%%28CurrentLevel%%29Levels/Level_%d.xml" % number, level.bounds(), spots))
    written = 0
    session = 0
    start = 1.8e9
    with open(path, "w", encoding="utf-8") as output:
        while written < count:
            session += 1
            area, (min_x, min_z, max_x, max_z), spots = outlines[session % len(outlines)]
            clock = start + session * 600
            base = {"user_id": "02:FC:00:00:00:%02X" % (session % 256), "session_id": "session %d" % session,
                    "build": "BETA", "game_key": "k", "category": "design"}

            def emit(event_id, with_area=True, position=True, spot=None):
                nonlocal written, clock
                clock += generator.uniform(0.5, 20.0)
                record = dict(base, event_id=event_id)
                if with_area:
                    record["area"] = area
                if spot is not None:
                    x, z = generator.gauss(spot[0], 2.0), generator.gauss(spot[1], 2.0)
                else:
                    x, z = generator.uniform(min_x, max_x), generator.uniform(min_z, max_z)
                if position:
                    record.update(x="%.2f" % x, y="%.2f" % generator.uniform(-30, 40), z="%.2f" % z)
                record["received"] = time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(clock))
                output.write(json.dumps(record) + "\n")
                written += 1

            emit(events.LOAD)
            for _ in range(generator.randint(0, 12)):
                spot = generator.choice(spots) if generator.random() < 0.8 else None
                emit(events.DIE, with_area=False, spot=spot)
            for _ in range(generator.randint(0, 3)):
                emit(events.RESTART)
                emit(events.LOAD)
            emit("Brimora:Button:Activate")
            if generator.random() < 0.8:
                emit(events.COMPLETED)
    return written


def bare_loop(path):
    count = 0
    with open(path, encoding="utf-8") as lines:
        for line in lines:
            json.loads(line)
            count += 1
    return count


def report(path, out):
    with contextlib.redirect_stdout(io.StringIO()):
        status = cli.main(["--data", DATA, "--out", out, path])
    if status != 0:
        sys.exit("bench_report: the report failed (exit %d)" % status)


def best_of(repeat, *actions):
    """The shortest time of each action; they take turns, so a busy moment of the machine hits both."""
    times = [[] for _ in actions]
    for _ in range(repeat):
        for index, action in enumerate(actions):
            started = time.perf_counter()
            action()
            times[index].append(time.perf_counter() - started)
    return [min(entry) for entry in times]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--events", type=int, default=100000)
    parser.add_argument("--repeat", type=int, default=5)
    arguments = parser.parse_args()
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "events.jsonl")
        count = write_events(path, arguments.events)
        bare, reading, full = best_of(arguments.repeat, lambda: bare_loop(path), lambda: events.read_files([path]),
                                      lambda: report(path, os.path.join(folder, "out")))
    print("%d events over six levels (best of %d)" % (count, arguments.repeat))
    print("bare read and parse: %7.3f s" % bare)
    print("report's reading:    %7.3f s  (%.2fx: parsing, checking, counting, no pictures)" % (reading, reading / bare))
    print("report:              %7.3f s  (its 12 maps and page: %.3f s, set mostly by the levels' size)"
          % (full, full - reading))
    print("ratio:               %7.2fx" % (full / bare))


if __name__ == "__main__":
    main()
