#!/usr/bin/env python3
"""Writes the small animated glTF files of the test data: a box moved and
turned by node channels (and a second clip that lifts it), a cube whose top
rises through a morph target, and a bar of two joints bending in the middle
(a skin). Clips last two seconds; buffers are embedded, so each file stands
alone.
Usage: make-animations.py OUTPUT_FOLDER"""
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from bar import bar_quads, bar_vertices  # noqa: E402
from gltf import write_files  # noqa: E402


def box(half):
    """A box of 24 vertices (flat faces) and 12 triangles, centred on the origin."""
    positions, normals, indices = [], [], []
    for axis in range(3):
        for sign in (1.0, -1.0):
            n = [0.0, 0.0, 0.0]
            n[axis] = sign
            u = [0.0, 0.0, 0.0]
            u[(axis + 1) % 3] = 1.0
            v = [0.0, 0.0, 0.0]
            v[(axis + 2) % 3] = sign
            base = len(positions) // 3
            for a, b in ((-1, -1), (1, -1), (1, 1), (-1, 1)):
                positions += [half * (n[k] + a * u[k] + b * v[k]) for k in range(3)]
                normals += n
            indices += [base, base + 1, base + 2, base, base + 2, base + 3]
    return positions, normals, indices


def add_node(g, **fields):
    g.doc["nodes"].append(fields)
    return len(g.doc["nodes"]) - 1


def add_mesh(g, primitive, material, **extra):
    prim = dict(primitive)
    prim["material"] = material
    g.doc["meshes"].append(dict(primitives=[prim], **extra))
    return len(g.doc["meshes"]) - 1


def add_animation(g, name, channels):
    """channels: (node, path, times, values, kind[, interpolation]); linear by default."""
    animation = {"name": name, "channels": [], "samplers": []}
    for node, path, times, values, kind, *interpolation in channels:
        sampler = {"input": g.accessor(times, "SCALAR"), "output": g.accessor(values, kind),
                   "interpolation": interpolation[0] if interpolation else "LINEAR"}
        # glTF asks the key times for their bounds.
        g.doc["accessors"][sampler["input"]].update(min=[min(times)], max=[max(times)])
        animation["samplers"].append(sampler)
        animation["channels"].append({"sampler": len(animation["samplers"]) - 1,
                                      "target": {"node": node, "path": path}})
    g.doc.setdefault("animations", []).append(animation)


def grey(g):
    return g.material(pbrMetallicRoughness={"baseColorFactor": [0.8, 0.5, 0.3, 1], "metallicFactor": 0.0,
                                            "roughnessFactor": 0.6})


def turn(axis, degrees):
    """The quaternion (x, y, z, w) of a turn about a coordinate axis (0, 1 or 2)."""
    half = math.radians(degrees) / 2
    q = [0.0, 0.0, 0.0, math.cos(half)]
    q[axis] = math.sin(half)
    return q


def node_box(g):
    p, n, i = box(0.5)
    mesh = add_mesh(g, g.primitive(p, i, n), grey(g))
    node = add_node(g, name="Box", mesh=mesh)
    # An empty node beside the box, which no clip moves; the reference
    # pictures' planted fault turns the box's channels to it.
    marker = add_node(g, name="Marker", translation=[0.0, -1.0, 0.0])
    g.doc["scenes"][0]["nodes"] += [node, marker]
    times = [0.0, 1.0, 2.0]
    add_animation(g, "slide and turn", [
        (node, "translation", times, [-1.0, 0, 0, 1.0, 0, 0, -1.0, 0, 0], "VEC3"),
        (node, "rotation", times, turn(1, 0) + turn(1, 90) + turn(1, 180), "VEC4"),
    ])
    add_animation(g, "hop", [(node, "translation", times, [0, 0, 0, 0, 1.0, 0, 0, 0, 0], "VEC3")])


def morph_cube(g):
    p, n, i = box(0.5)
    # The target lifts the top face's corners by 0.8.
    lift = [0.0] * len(p)
    for v in range(len(p) // 3):
        if p[3 * v + 1] > 0:
            lift[3 * v + 1] = 0.8
    primitive = g.primitive(p, i, n)
    primitive["targets"] = [{"POSITION": g.accessor(lift, "VEC3")}]
    mesh = add_mesh(g, primitive, grey(g), weights=[0.0])
    node = add_node(g, name="Cube", mesh=mesh)
    g.doc["scenes"][0]["nodes"].append(node)
    add_animation(g, "rise", [(node, "weights", [0.0, 1.0, 2.0], [0.0, 1.0, 0.0], "SCALAR")])


def skinned_bar(g):
    """The bar of bar.py in metres; the lower bone is the root joint."""
    positions, normals, joints, weights, indices = [], [], [], [], []
    for x, y, z, upper in bar_vertices(1.0):
        positions += [x, y, z]
        length = math.hypot(x, z)
        normals += [x / length, 0.0, z / length]
        joints += [0, 1, 0, 0]
        weights += [1.0 - upper, upper, 0.0, 0.0]
    for a, b, c, d in bar_quads():
        indices += [a, b, d, d, b, c]
    primitive = g.primitive(positions, indices, normals)
    primitive["attributes"]["JOINTS_0"] = g.accessor(joints, "VEC4", 5123)
    primitive["attributes"]["WEIGHTS_0"] = g.accessor(weights, "VEC4")
    mesh = add_mesh(g, primitive, grey(g))
    upper = add_node(g, name="Upper", translation=[0.0, 1.0, 0.0])
    root = add_node(g, name="Root", children=[upper])
    identity = [1.0, 0, 0, 0, 0, 1.0, 0, 0, 0, 0, 1.0, 0, 0, 0, 0, 1.0]
    below_upper = identity[:13] + [-1.0] + identity[14:]  # column-major: translation by -1 in y
    g.doc["skins"] = [{"joints": [root, upper], "skeleton": root,
                       "inverseBindMatrices": g.accessor(identity + below_upper, "MAT4")}]
    bar = add_node(g, name="Bar", mesh=mesh, skin=0)
    g.doc["scenes"][0]["nodes"] += [bar, root]
    add_animation(g, "bend", [(upper, "rotation", [0.0, 1.0, 2.0], turn(2, 0) + turn(2, 60) + turn(2, 0), "VEC4")])


def steps_and_splines(g):
    """Two boxes that rise one unit and come down again: the left in steps,
    the right on a cubic spline that leaves the ground fast (its first
    key's out-tangent is 3 units a second, the top's tangents 0). The same
    spline's values with every tangent 0 follow, unused: the reference
    pictures' planted fault points the sampler at them, as a viewer that
    ignored the tangents would draw it."""
    p, n, i = box(0.4)
    mesh = add_mesh(g, g.primitive(p, i, n), grey(g))
    stepped = add_node(g, name="Stepped", mesh=mesh, translation=[-0.6, 0.0, 0.0])
    spline = add_node(g, name="Spline", mesh=mesh, translation=[0.6, 0.0, 0.0])
    g.doc["scenes"][0]["nodes"] += [stepped, spline]
    times = [0.0, 1.0, 2.0]
    # Per key: in-tangent, value, out-tangent.
    keys = [(0.0, 0.0, 3.0), (0.0, 1.0, 0.0), (-3.0, 0.0, 0.0)]
    splined = [c for in_t, y, out_t in keys for c in (0.0, in_t, 0.0, 0.6, y, 0.0, 0.0, out_t, 0.0)]
    add_animation(g, "rise", [
        (stepped, "translation", times, [-0.6, 0.0, 0.0, -0.6, 1.0, 0.0, -0.6, 0.0, 0.0], "VEC3", "STEP"),
        (spline, "translation", times, splined, "VEC3", "CUBICSPLINE"),
    ])
    flat = [0.0 if k % 9 < 3 or k % 9 >= 6 else c for k, c in enumerate(splined)]
    g.accessor(flat, "VEC3")


FILES = {"node-box": node_box, "morph-cube": morph_cube, "skinned-bar": skinned_bar,
         "steps-and-splines": steps_and_splines}

if __name__ == "__main__":
    write_files(FILES)
