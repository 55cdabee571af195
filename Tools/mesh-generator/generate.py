#!/usr/bin/env python3
"""Writes the engine's basic meshes and their resource definitions.

Cube, plane, sphere, cylinder and the sky sphere (seen from inside, its normals all up) are Wavefront
OBJ files with positions, texture coordinates and normals; the screen quad is an XML mesh, and so are
the particle quad (with two per-instance buffers) and the physics demo's collision cube (corners -1 to 1). Every mesh gives positions at location 0, texture coordinates
at location 1 and normals at location 2, so any of the basic shaders draws any of them. All are
centred on the origin with a size of 1 (the plane lies in the XZ plane facing +Y; the screen quad
spans -1 to 1 in XY for full-screen passes). Deterministic: run it again to get the same bytes.

Usage: generate.py [DATA_FOLDER]   (default: the repository's Data/ folder)
"""

import math
import sys
from pathlib import Path

HEADER = "# Written by Tools/mesh-generator/generate.py\n"


def number(value):
    text = "%.6f" % value
    return "0.000000" if text == "-0.000000" else text


class Obj:
    def __init__(self, name):
        self.name = name
        self.lines = [HEADER, "o %s\n" % name]
        self.positions = 0
        self.coordinates = 0
        self.normals = 0

    def vertex(self, position, coordinate, normal):
        """Adds one corner's three entries; returns the face word that names them."""
        self.lines.append("v %s\n" % " ".join(number(v) for v in position))
        self.lines.append("vt %s\n" % " ".join(number(v) for v in coordinate))
        self.lines.append("vn %s\n" % " ".join(number(v) for v in normal))
        self.positions += 1
        self.coordinates += 1
        self.normals += 1
        return "%d/%d/%d" % (self.positions, self.coordinates, self.normals)

    def face(self, words):
        self.lines.append("f %s\n" % " ".join(words))

    def text(self):
        return "".join(self.lines)


def cube():
    obj = Obj("Cube")
    # Each face: its normal and two axes spanning it (u to the right, v up, seen from outside).
    faces = [((0, 0, 1), (1, 0, 0), (0, 1, 0)), ((0, 0, -1), (-1, 0, 0), (0, 1, 0)),
             ((1, 0, 0), (0, 0, -1), (0, 1, 0)), ((-1, 0, 0), (0, 0, 1), (0, 1, 0)),
             ((0, 1, 0), (1, 0, 0), (0, 0, -1)), ((0, -1, 0), (1, 0, 0), (0, 0, 1))]
    for normal, u, v in faces:
        words = []
        for s, t in ((0, 0), (1, 0), (1, 1), (0, 1)):
            position = [0.5 * normal[i] + (s - 0.5) * u[i] + (t - 0.5) * v[i] for i in range(3)]
            words.append(obj.vertex(position, (s, t), normal))
        obj.face(words)
    return obj


def plane():
    obj = Obj("Plane")
    words = [obj.vertex((s - 0.5, 0.0, 0.5 - t), (s, t), (0, 1, 0)) for s, t in ((0, 0), (1, 0), (1, 1), (0, 1))]
    obj.face(words)
    return obj


def uv_sphere(name, rings, segments, inside):
    """A unit-diameter sphere of rings x segments, u along the longitude, v = 1 at the top. Seen from
    outside its normals point outward; seen from `inside` (a sky) its faces wind the other way round and
    every normal points straight up: a sky gives light rather than receiving it, and an up normal takes
    the same share of each of the three directional lights everywhere, so the whole dome shows its
    texture evenly instead of one side lit and the other dark."""
    obj = Obj(name)
    grid = []
    for ring in range(rings + 1):
        polar = math.pi * ring / rings
        row = []
        for segment in range(segments + 1):
            azimuth = 2.0 * math.pi * segment / segments
            direction = (math.sin(polar) * math.cos(azimuth), math.cos(polar), -math.sin(polar) * math.sin(azimuth))
            position = [0.5 * n for n in direction]
            normal = (0, 1, 0) if inside else direction
            row.append(obj.vertex(position, (segment / segments, 1.0 - ring / rings), normal))
        grid.append(row)
    for ring in range(rings):
        for segment in range(segments):
            a, b = grid[ring][segment], grid[ring + 1][segment]
            c, d = grid[ring + 1][segment + 1], grid[ring][segment + 1]
            if ring == 0:
                words = [a, b, c]
            elif ring == rings - 1:
                words = [a, b, d]
            else:
                words = [a, b, c, d]
            obj.face(words[::-1] if inside else words)
    return obj


def sphere(rings=16, segments=32):
    return uv_sphere("Sphere", rings, segments, inside=False)


def sky_sphere(rings=24, segments=48):
    return uv_sphere("SkySphere", rings, segments, inside=True)


def cylinder(segments=32):
    obj = Obj("Cylinder")
    for segment in range(segments):
        words = []
        for step, height in ((segment, -0.5), (segment + 1, -0.5), (segment + 1, 0.5), (segment, 0.5)):
            angle = 2.0 * math.pi * step / segments
            normal = (math.cos(angle), 0.0, -math.sin(angle))
            words.append(obj.vertex((0.5 * normal[0], height, 0.5 * normal[2]), (step / segments, height + 0.5), normal))
        obj.face(words)
    for height, normal in ((0.5, (0, 1, 0)), (-0.5, (0, -1, 0))):
        words = []
        for step in range(segments):
            angle = 2.0 * math.pi * step / segments * (1 if height > 0 else -1)
            x, z = 0.5 * math.cos(angle), -0.5 * math.sin(angle)
            words.append(obj.vertex((x, height, z), (x + 0.5, z + 0.5), normal))
        obj.face(words)
    return obj


LAYOUT = """        <Positions><AttributeDescription location="0" elementSize="3" normalize="false"/></Positions>
        <TextureCoordinates><AttributeDescription location="1" elementSize="2" normalize="false"/></TextureCoordinates>
        <Normals><AttributeDescription location="2" elementSize="3" normalize="false"/></Normals>
"""


def obj_description(name):
    return ("<Mesh>\n    <!-- Written by Tools/mesh-generator/generate.py -->\n"
            '    <Import fileType="obj" path="%s.obj">\n%s    </Import>\n</Mesh>\n' % (name, LAYOUT))


def screen_quad():
    def buffer(location, size, values):
        return ('    <Buffer>\n        <Data>%s</Data>\n        <AttributeDescription location="%d" elementSize="%d"'
                ' normalize="false"/>\n    </Buffer>\n' % (" ".join(number(v) for v in values), location, size))
    return ("<Mesh>\n    <!-- Written by Tools/mesh-generator/generate.py -->\n"
            + buffer(0, 3, [-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0])
            + buffer(1, 2, [0, 0, 1, 0, 1, 1, 0, 1])
            + buffer(2, 3, [0, 0, 1] * 4)
            + "    <Indices><Data>0 1 2 0 2 3</Data></Indices>\n</Mesh>\n")


def particle_quad():
    """A quad of side 1 in the XY plane facing +Z, with the two per-instance buffers the particle
    component fills: a world matrix (four columns at locations 3 to 6, 64 bytes apart) and a colour
    (location 7), one instance each to start with."""
    def attribute(location, size, stride=0, offset=0, divisor=0):
        return ('        <AttributeDescription location="%d" elementSize="%d" normalize="false" stride="%d"'
                ' offset="%d" divisor="%d"/>\n' % (location, size, stride, offset, divisor))

    def buffer(values, attributes):
        return ("    <Buffer>\n        <Data>%s</Data>\n%s    </Buffer>\n"
                % (" ".join(number(v) for v in values), "".join(attributes)))
    identity = [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1]
    return ("<Mesh>\n    <!-- Written by Tools/mesh-generator/generate.py -->\n"
            + buffer([-0.5, -0.5, 0, 0.5, -0.5, 0, 0.5, 0.5, 0, -0.5, 0.5, 0], [attribute(0, 3)])
            + buffer([0, 0, 1, 0, 1, 1, 0, 1], [attribute(1, 2)])
            + buffer([0, 0, 1] * 4, [attribute(2, 3)])
            + buffer(identity, [attribute(3 + column, 4, 64, 16 * column, 1) for column in range(4)])
            + buffer([1, 1, 1, 1], [attribute(7, 4, 0, 0, 1)])
            + "    <Indices><Data>0 1 2 0 2 3</Data></Indices>\n</Mesh>\n")


def physics_cube():
    """The collision hull of the physics demo's cubes: the 8 corners of the cube from -1 to 1 and its 12
    triangles, without the seams a drawn cube needs."""
    corners = []
    for corner in range(8):
        corners += [1 if corner & 1 else -1, 1 if corner & 2 else -1, 1 if corner & 4 else -1]
    triangles = [0, 2, 3, 0, 3, 1, 4, 5, 7, 4, 7, 6, 0, 1, 5, 0, 5, 4, 2, 6, 7, 2, 7, 3, 0, 4, 6, 0, 6, 2, 1, 3, 7,
                 1, 7, 5]
    return ('<Mesh drawMode="GL_TRIANGLES">\n    <!-- Written by Tools/mesh-generator/generate.py -->\n'
            '    <Buffer>\n        <Data>%s</Data>\n'
            '        <AttributeDescription location="0" elementSize="3" stride="12" offset="0"/>\n    </Buffer>\n'
            '    <Indices><Data>%s</Data></Indices>\n</Mesh>\n'
            % (" ".join(number(v) for v in corners), " ".join(str(i) for i in triangles)))


def main():
    data = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parents[2] / "Data"
    meshes = data / "Meshes"
    meshes.mkdir(parents=True, exist_ok=True)
    names = []
    for obj in (cube(), plane(), sphere(), cylinder(), sky_sphere()):
        (meshes / (obj.name + ".obj")).write_text(obj.text())
        (meshes / (obj.name + ".xml")).write_text(obj_description(obj.name))
        names.append(obj.name)
    (meshes / "ScreenQuad.xml").write_text(screen_quad())
    names.append("ScreenQuad")
    (meshes / "Particle.xml").write_text(particle_quad())
    names.append("Particle")
    # Only the physics demo's own resource pack names it.
    (meshes / "PhysicsCube.xml").write_text(physics_cube())
    definitions = "".join('    <Mesh name="Mesh_%s" path="$(LocalFolder)Meshes/%s.xml" multiThreaded="true"/>\n'
                          % (name, name) for name in names)
    (data / "Resources" / "Meshes.xml").write_text(
        "<ResourceSystem>\n    <!-- Written by Tools/mesh-generator/generate.py -->\n" + definitions
        + "</ResourceSystem>\n")


if __name__ == "__main__":
    main()
