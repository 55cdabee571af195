#!/usr/bin/python3
"""Plays the level replays (Tests/Replays) through the built game with analytics pointed at a local
collector, some with extra falls and restarts, and leaves the collector's JSON-lines file.

    Tools/analytics-collector/make_example_events.py [--game build/brimora] [--output FILE] [--fast]

Needs the built game (it builds nothing). Each run is a copy of a replay in a temporary folder: an
absolute "configuration", an "analytics" file for the collector, `draw="all"`, frames trimmed to the
replay's end (found by a quick run first), and the extra steps inserted after the level's first view.
Rendering every frame keeps a run about as long as play (under Mesa's software renderer two to three
times longer), so the collector's arrival times give level times of a player's order; --fast keeps the
replays' own quick mode, where a level takes about a second. All runs take about 35 minutes on two cores.
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ElementTree

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
REPLAYS = os.path.join(ROOT, "Tests", "Replays")


def fall(to, seconds=4.0):
    # Walking at a point past an edge ends over the void; the game puts the player back after 2.5 s of air.
    return [("Walk", {"to": to}), ("Wait", {"seconds": str(seconds)})]


def restart(level, walk_to=None):
    steps = [("Walk", {"to": walk_to})] if walk_to else []
    return steps + [("Press", {"key": "R"}),
                    ("WaitLog", {"text": "Level loaded: '$(CurrentLevel)Levels/%s.xml'" % level, "timeout": "5"}),
                    ("Wait", {"seconds": "1.1"})]


# (replay, extra steps after the first view). Repeated falls aim a little apart, as players do.
RUNS = [
    ("Level_1", []),
    ("Level_1", [("Walk", {"to": "0;-17"})] + fall("0;-21.5")),
    ("Level_1", [("Walk", {"to": "1;-17"})] + fall("1.5;-21.5") + restart("Level_1")),
    ("Level_1", [("Walk", {"to": "-1;-17"})] + fall("-1;-22")),
    ("Level_1", fall("7.5;-4")),
    ("Level_1", [("Walk", {"to": "0.5;-17"})] + fall("0.5;-22") + [("Walk", {"to": "0;-17"})] + fall("-0.5;-21.5")),
    ("Level_2", []),
    ("Level_2", fall("0;-16")),
    ("Level_2", fall("1;-16.5") + fall("-7.5;-6")),
    ("Level_2", restart("Level_2", "0;-8")),
    ("Level_2", fall("-0.5;-15.5")),
    ("Level_3", []),
    ("Level_3", fall("7.5;-4")),
    ("Level_3", fall("0;-14")),
    ("Level_3", restart("Level_3", "0;-8")),
    ("Level_4", []),
    ("Level_4", restart("Level_4", "0;-200")),
    ("Level_5", []),
    ("Level_5_BadEnding", []),
    ("Level_6", []),
    ("Level_6", fall("7.5;-4")),
]


def make_script(replay, extra, folder, index, analytics, draw_all, frames):
    tree = ElementTree.parse(os.path.join(REPLAYS, replay + ".xml"))
    root = tree.getroot()
    root.set("configuration", os.path.normpath(os.path.join(REPLAYS, root.get("configuration"))))
    root.set("analytics", analytics)
    if draw_all:
        root.set("draw", "all")
    if frames is not None:
        root.set("frames", str(frames))
    root.set("trace", "trace_%d.txt" % index)
    steps = root.find("Steps")
    children = list(steps)
    # After the level's first view: its first Screenshot, else the first Wait.
    anchor = next((n for n, child in enumerate(children) if child.tag == "Screenshot"), None)
    if anchor is None:
        anchor = next(n for n, child in enumerate(children) if child.tag == "Wait")
    for offset, (tag, attributes) in enumerate(extra):
        steps.insert(anchor + 1 + offset, ElementTree.Element(tag, attributes))
    path = os.path.join(folder, "run_%d_%s.xml" % (index, replay))
    tree.write(path)
    return path


def run_game(game, script, log):
    environment = dict(os.environ, SDL_VIDEODRIVER="offscreen", MORVANE_NO_MESSAGE_BOX="1")
    with open(log, "w") as output:
        return subprocess.run([game, "--capture", script], cwd=ROOT, env=environment, stdout=output,
                              stderr=subprocess.STDOUT, timeout=1800).returncode


def last_move(trace):
    """The last frame on which the player moved, from a capture trace ("FRAME X Y Z" or "FRAME -")."""
    last, previous = 0, None
    with open(trace) as lines:
        for line in lines:
            parts = line.split()
            position = tuple(parts[1:4]) if len(parts) == 4 else None
            if position != previous:
                last = int(parts[0])
            previous = position
    return last


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--game", default=os.path.join(ROOT, "build", "brimora"))
    parser.add_argument("--output", default="analytics-events.jsonl", help="collector file (appended to)")
    parser.add_argument("--fast", action="store_true", help="keep the replays' quick mode (arrival times ~0 s)")
    arguments = parser.parse_args()
    if not os.access(arguments.game, os.X_OK):
        sys.exit("make_example_events: %s: no game binary; build it first (scripts/build build)" % arguments.game)
    output = os.path.abspath(arguments.output)
    folder = tempfile.mkdtemp(prefix="brimora-replays-")
    collector = subprocess.Popen([sys.executable, os.path.join(HERE, "collector.py"), "--port", "0", "--secret-key",
                                  "s", "--output", output, "--quiet"], stdout=subprocess.PIPE, text=True)
    try:
        port = int(collector.stdout.readline().split()[2].split(":")[1])
        analytics = os.path.join(folder, "Analytics.xml")
        with open(analytics, "w") as file:
            file.write('<GameAnalytics host="127.0.0.1" port="%d" gameKey="k" secretKey="s"/>\n' % port)
        # The probe runs send nothing: analytics off.
        silent = os.path.join(folder, "Silent.xml")
        with open(silent, "w") as file:
            file.write('<GameAnalytics host="" gameKey="k" secretKey="s"/>\n')
        for index, (replay, extra) in enumerate(RUNS):
            frames = None
            if not arguments.fast:
                # A quick run first finds where the replay ends, so the slow one stops soon after it.
                probe = make_script(replay, extra, folder, index, silent, False, None)
                run_game(arguments.game, probe, os.path.join(folder, "probe_%d.log" % index))
                frames = last_move(os.path.join(folder, "trace_%d.txt" % index)) + 90
            script = make_script(replay, extra, folder, index, analytics, not arguments.fast, frames)
            started = time.time()
            code = run_game(arguments.game, script, os.path.join(folder, "run_%d.log" % index))
            print("%-18s %-40s exit %d, %.0f s" % (replay, "+%d steps" % len(extra) if extra else "as recorded",
                                                  code, time.time() - started), flush=True)
            # The game names its session by the second it started: runs must not share one.
            time.sleep(1.2)
    finally:
        collector.terminate()
        collector.wait()
    print("Events in %s; scripts and logs in %s" % (output, folder))


if __name__ == "__main__":
    main()
