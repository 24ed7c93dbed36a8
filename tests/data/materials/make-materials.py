#!/usr/bin/env python3
"""Writes the small glTF files that show each kind of surface the viewer
draws: a grid of spheres over metallic and roughness, an emissive panel, an
alpha-masked leaf card and a half-transparent pane in front of a wall, a
double-sided plane seen from behind, vertex colours, a point cloud, a
line grid, and a specular-glossiness material. Buffers and pictures are embedded, so each file stands alone.
Usage: make-materials.py OUTPUT_FOLDER"""
import base64
import json
import math
import struct
import sys
import zlib


class Gltf:
    def __init__(self):
        self.doc = {"asset": {"version": "2.0", "generator": "make-materials.py"}, "scene": 0,
                    "scenes": [{"nodes": []}], "nodes": [], "meshes": [], "materials": [],
                    "accessors": [], "bufferViews": [], "buffers": []}
        self.data = bytearray()

    def accessor(self, values, kind, component=5126, target=None):
        """Floats (5126) or unsigned ints (5125) as one accessor; kind is VEC3, VEC2, SCALAR..."""
        while len(self.data) % 4:
            self.data.append(0)
        offset = len(self.data)
        fmt = "<%d%s" % (len(values), "f" if component == 5126 else "I")
        self.data += struct.pack(fmt, *values)
        view = {"buffer": 0, "byteOffset": offset, "byteLength": len(self.data) - offset}
        if target:
            view["target"] = target
        self.doc["bufferViews"].append(view)
        size = {"SCALAR": 1, "VEC2": 2, "VEC3": 3, "VEC4": 4}[kind]
        acc = {"bufferView": len(self.doc["bufferViews"]) - 1, "componentType": component,
               "count": len(values) // size, "type": kind}
        if kind == "VEC3" and component == 5126:
            acc["min"] = [min(values[i::3]) for i in range(3)]
            acc["max"] = [max(values[i::3]) for i in range(3)]
        self.doc["accessors"].append(acc)
        return len(self.doc["accessors"]) - 1

    def primitive(self, positions, indices=None, normals=None, uvs=None, colours=None, mode=4):
        attributes = {"POSITION": self.accessor(positions, "VEC3", target=34962)}
        if normals:
            attributes["NORMAL"] = self.accessor(normals, "VEC3", target=34962)
        if uvs:
            attributes["TEXCOORD_0"] = self.accessor(uvs, "VEC2", target=34962)
        if colours:
            attributes["COLOR_0"] = self.accessor(colours, "VEC4", target=34962)
        prim = {"attributes": attributes, "mode": mode}
        if indices is not None:
            prim["indices"] = self.accessor(indices, "SCALAR", 5125, target=34963)
        return prim

    def material(self, **fields):
        self.doc["materials"].append(fields)
        return len(self.doc["materials"]) - 1

    def node(self, primitive, material, translation=(0, 0, 0)):
        prim = dict(primitive)
        prim["material"] = material
        self.doc["meshes"].append({"primitives": [prim]})
        self.doc["nodes"].append({"mesh": len(self.doc["meshes"]) - 1, "translation": list(translation)})
        self.doc["scenes"][0]["nodes"].append(len(self.doc["nodes"]) - 1)

    def image(self, png):
        self.doc.setdefault("images", []).append({"uri": "data:image/png;base64," + base64.b64encode(png).decode()})
        self.doc.setdefault("textures", []).append({"source": len(self.doc["images"]) - 1})
        return len(self.doc["textures"]) - 1

    def write(self, path):
        self.doc["buffers"] = [{"byteLength": len(self.data),
                                "uri": "data:application/octet-stream;base64," + base64.b64encode(self.data).decode()}]
        with open(path, "w") as out:
            json.dump(self.doc, out, indent=1)
            out.write("\n")


def png(width, height, pixel):
    """An RGBA PNG; pixel(x, y) gives 4 bytes."""
    rows = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def sphere(radius, rings=16, segments=32):
    positions, normals, uvs, indices = [], [], [], []
    for r in range(rings + 1):
        theta = math.pi * r / rings
        for s in range(segments + 1):
            phi = 2 * math.pi * s / segments
            n = (math.sin(theta) * math.cos(phi), math.cos(theta), math.sin(theta) * math.sin(phi))
            normals += n
            positions += [radius * c for c in n]
            uvs += [s / segments, r / rings]
    for r in range(rings):
        for s in range(segments):
            a = r * (segments + 1) + s
            b = a + segments + 1
            indices += [a, a + 1, b, a + 1, b + 1, b]
    return positions, normals, uvs, indices


def quad(width, height, z=0.0, facing=1.0):
    """A rectangle in the xy plane at depth z, its front towards +z (or -z for facing -1)."""
    w, h = width / 2, height / 2
    positions = [-w, -h, z, w, -h, z, w, h, z, -w, h, z]
    normals = [0, 0, facing] * 4
    uvs = [0, 1, 1, 1, 1, 0, 0, 0]
    indices = [0, 1, 2, 0, 2, 3] if facing > 0 else [0, 2, 1, 0, 3, 2]
    return positions, normals, uvs, indices


def pbr(base, metallic=0.0, roughness=0.5, **extra):
    return dict(pbrMetallicRoughness={"baseColorFactor": list(base), "metallicFactor": metallic,
                                      "roughnessFactor": roughness}, **extra)


def spheres(g):
    p, n, uv, i = sphere(0.4)
    prim = g.primitive(p, i, n, uv)
    for row in range(5):
        for column in range(5):
            material = g.material(**pbr((0.95, 0.64, 0.3, 1), metallic=column / 4, roughness=row / 4))
            g.node(prim, material, (column - 2.0, 2.0 - row, 0))


def emissive(g):
    p, n, uv, i = quad(1.0, 1.0)
    prim = g.primitive(p, i, n, uv)
    g.node(prim, g.material(**pbr((0.05, 0.05, 0.05, 1), emissiveFactor=[1.0, 0.45, 0.1])), (-0.6, 0, 0))
    g.node(prim, g.material(**pbr((0.05, 0.05, 0.05, 1))), (0.6, 0, 0))


def wall(g):
    p, n, uv, i = quad(2.4, 1.6)
    g.node(g.primitive(p, i, n, uv), g.material(**pbr((0.1, 0.25, 0.9, 1), roughness=0.8)))


def leaf_picture(x, y):
    """A leaf: an ellipse with a darker vein, transparent around it."""
    u, v = (x + 0.5) / 64 - 0.5, (y + 0.5) / 64 - 0.5
    inside = (u / 0.3) ** 2 + (v / 0.46) ** 2 <= 1.0
    vein = abs(u) < 0.02
    return (40, 120 if vein else 170, 40, 255 if inside else 0)


def masked(g):
    wall(g)
    p, n, uv, i = quad(1.2, 1.2, z=0.4)
    leaf = g.image(png(64, 64, leaf_picture))
    material = g.material(pbrMetallicRoughness={"baseColorTexture": {"index": leaf}, "metallicFactor": 0.0,
                                                "roughnessFactor": 0.7},
                          alphaMode="MASK", alphaCutoff=0.5, doubleSided=True)
    g.node(g.primitive(p, i, n, uv), material)


def blended(g):
    wall(g)
    p, n, uv, i = quad(1.2, 1.2, z=0.4)
    g.node(g.primitive(p, i, n, uv), g.material(**pbr((1.0, 0.1, 0.05, 0.5), roughness=0.3, alphaMode="BLEND")))


def double_sided(g):
    # Its front faces away from the viewer, who sees its back.
    p, n, uv, i = quad(1.6, 1.0, facing=-1.0)
    g.node(g.primitive(p, i, n, uv), g.material(**pbr((0.95, 0.4, 0.1, 1), roughness=0.6, doubleSided=True)))


def vertex_colours(g):
    p, n, uv, i = quad(1.6, 1.0)
    colours = [1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 1, 1, 1, 1, 1]
    g.node(g.primitive(p, i, n, uv, colours), g.material(**pbr((1, 1, 1, 1), roughness=0.9)))


def points(g):
    positions, colours = [], []
    for y in range(24):
        for x in range(24):
            u, v = x / 23, y / 23
            positions += [u * 2 - 1, 0.3 * math.sin(u * 6) * math.cos(v * 4), v * 2 - 1]
            colours += [u, 1 - v, 0.5 + 0.5 * v, 1]
    g.node(g.primitive(positions, colours=colours, mode=0), g.material(**pbr((1, 1, 1, 1))))


def lines(g):
    positions, indices = [], []
    for k in range(11):
        t = k / 10 * 2 - 1
        for a, b in (((t, 0, -1), (t, 0, 1)), ((-1, 0, t), (1, 0, t))):
            indices += [len(positions) // 3, len(positions) // 3 + 1]
            positions += list(a) + list(b)
    g.node(g.primitive(positions, indices, mode=1), g.material(**pbr((0.2, 0.9, 0.3, 1))))


def specular_glossiness(g):
    """The older extension alone, as online model stores still hand it out."""
    p, n, uv, i = sphere(0.5)
    g.doc["extensionsUsed"] = ["KHR_materials_pbrSpecularGlossiness"]
    material = g.material(extensions={"KHR_materials_pbrSpecularGlossiness": {
        "diffuseFactor": [0.2, 0.4, 0.8, 1.0], "specularFactor": [1.0, 1.0, 1.0], "glossinessFactor": 0.8}})
    g.node(g.primitive(p, i, n, uv), material)


FILES = {"spheres": spheres, "emissive": emissive, "masked": masked, "blended": blended,
         "double-sided": double_sided, "vertex-colours": vertex_colours, "points": points, "lines": lines,
         "specular-glossiness": specular_glossiness}

if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    for name, build in FILES.items():
        g = Gltf()
        build(g)
        g.write("%s/%s.gltf" % (folder, name))
