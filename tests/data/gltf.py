"""Writing small glTF 2.0 files with everything embedded, for the test
files made by the scripts beside this one (materials/, animation/)."""
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
        """Floats (5126), unsigned ints (5125) or shorts (5123) as one accessor; kind is VEC3, VEC2, SCALAR..."""
        while len(self.data) % 4:
            self.data.append(0)
        offset = len(self.data)
        fmt = "<%d%s" % (len(values), {5126: "f", 5125: "I", 5123: "H"}[component])
        self.data += struct.pack(fmt, *values)
        view = {"buffer": 0, "byteOffset": offset, "byteLength": len(self.data) - offset}
        if target:
            view["target"] = target
        self.doc["bufferViews"].append(view)
        size = {"SCALAR": 1, "VEC2": 2, "VEC3": 3, "VEC4": 4, "MAT4": 16}[kind]
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


def write_files(files):
    """Writes each name's file, built by its function on a fresh Gltf, into
    the folder the command line names (the current one by default)."""
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    for name, build in files.items():
        g = Gltf()
        build(g)
        g.write("%s/%s.gltf" % (folder, name))
