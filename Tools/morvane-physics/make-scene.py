#!/usr/bin/env python3
"""Writes the determinism scene for morvane-physics: a walled room with floors, pillars, moving
kinematic platforms and dynamic boxes flying about (no gravity: the engine step has none).

    Tools/morvane-physics/make-scene.py > Tests/Data/Physics/Scene300.xml

The same seed gives the same file; the tests keep the hash of this scene after 200 frames.
"""
import random

STATIC, KINEMATIC, DYNAMIC = 40, 10, 250


def number(value):
    return ("%.3f" % value).rstrip("0").rstrip(".")


def vector(values):
    return ";".join(number(v) for v in values)


def body(name, position, size, attributes):
    return ('        <Object name="%s"><Transform position="%s" scale="%s"/>'
            '<Physics shape="AABB" size="%s" %s/></Object>'
            % (name, vector(position), vector(size), vector(size), attributes))


def main():
    rng = random.Random(300)
    lines = []
    # Floor tiles and four walls around a 120 x 120 room: they spread over several grid cells.
    for x in range(-2, 3):
        for z in range(-2, 3):
            lines.append(body("Floor_%d_%d" % (x + 2, z + 2), (x * 24, -1, z * 24), (24, 2, 24),
                              'category="Static" mass="0"'))
    walls = [((0, 10, -61), (124, 20, 2)), ((0, 10, 61), (124, 20, 2)),
             ((-61, 10, 0), (2, 20, 124)), ((61, 10, 0), (2, 20, 124))]
    for index, (position, size) in enumerate(walls):
        lines.append(body("Wall_%d" % index, position, size, 'category="Static" mass="0"'))
    for index in range(STATIC - 25 - len(walls)):
        position = (rng.uniform(-50, 50), rng.uniform(1, 6), rng.uniform(-50, 50))
        size = (rng.uniform(1, 6), rng.uniform(2, 12), rng.uniform(1, 6))
        lines.append(body("Pillar_%d" % index, position, size, 'category="Static"'))
    for index in range(KINEMATIC):
        position = (rng.uniform(-40, 40), rng.uniform(2, 8), rng.uniform(-40, 40))
        velocity = (rng.uniform(-2, 2), 0, rng.uniform(-2, 2))
        lines.append(body("Platform_%d" % index, position, (6, 0.5, 6),
                          'category="Kinematic" mass="5" velocity="%s"' % vector(velocity)))
    for index in range(DYNAMIC):
        position = (rng.uniform(-55, 55), rng.uniform(1, 15), rng.uniform(-55, 55))
        size = (rng.uniform(0.5, 2.5), rng.uniform(0.5, 2.5), rng.uniform(0.5, 2.5))
        velocity = (rng.uniform(-8, 8), rng.uniform(-3, 3), rng.uniform(-8, 8))
        extra = ""
        if index % 25 == 0:
            extra = ' resolveContacts="false"'
        elif index % 10 == 0:
            extra = ' collisionIds="1" collideWithIds="1"'
        lines.append(body("Box_%d" % index, position, size,
                          'category="Dynamic" mass="%s" restitution="%s" velocity="%s"%s'
                          % (number(rng.uniform(0.5, 3)), number(rng.uniform(0.1, 0.9)), vector(velocity),
                             extra)))
    print("<ProjectConfiguration>")
    print("    <SystemsConfiguration>")
    for order in ("InitOrder", "UpdateOrder", "ReleaseOrder"):
        print("        <%s><GameSystem/><PhysicsSystem/></%s>" % (order, order))
    print("    </SystemsConfiguration>")
    print("    <Initialize/>")
    print("    <GameSystem>")
    print("    <Objects>")
    print("\n".join(lines))
    print("    </Objects>")
    print("    </GameSystem>")
    print("</ProjectConfiguration>")


if __name__ == "__main__":
    main()
