#!/usr/bin/env python3
"""Writes the small glTF files that show each kind of surface the viewer
draws: a grid of spheres over metallic and roughness, an emissive panel, an
alpha-masked leaf card and a half-transparent pane in front of a wall, a
double-sided plane seen from behind, vertex colours, a point cloud, a
line grid, a specular-glossiness material, a wall under the file's own
spot and directional lights, spheres with glTF's further material
layers before a chequered wall, and three panels reading one picture
through their first or second set of texture coordinates. Buffers and pictures are
embedded, so each file stands alone.
Usage: make-materials.py OUTPUT_FOLDER"""
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from gltf import png, quad, sphere, write_files  # noqa: E402


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


def lights(g):
    """A narrow spot light on a grey wall, and a blue light from far off
    to the right and in front."""
    p, n, uv, i = quad(2.4, 1.6)
    g.node(g.primitive(p, i, n, uv), g.material(**pbr((0.5, 0.5, 0.5, 1), roughness=0.8)))
    g.doc["extensionsUsed"] = ["KHR_lights_punctual"]
    g.doc["extensions"] = {"KHR_lights_punctual": {"lights": [
        {"type": "spot", "color": [1.0, 0.8, 0.5], "intensity": 1.0,
         "spot": {"innerConeAngle": 0.15, "outerConeAngle": 0.3}},
        {"type": "directional", "color": [0.3, 0.5, 1.0], "intensity": 0.4}]}}
    # Spot lights shine down their node's -Z: this one at the wall; the far
    # light's node is turned 45 degrees about Y, so it comes from the right.
    turn = math.radians(22.5)
    for light, placement in ((0, {"translation": [-0.4, 0.2, 1.5]}),
                             (1, {"rotation": [0.0, math.sin(turn), 0.0, math.cos(turn)]})):
        g.doc["nodes"].append(dict(placement, extensions={"KHR_lights_punctual": {"light": light}}))
        g.doc["scenes"][0]["nodes"].append(len(g.doc["nodes"]) - 1)


def chequer(x, y):
    light = ((x // 8) + (y // 8)) % 2 == 0
    return (230, 230, 230, 255) if light else (40, 60, 160, 255)


def layers(g):
    """Top row: a rough dark red sphere, the same under a clear coat in bands, a dark
    cloth with a pink sheen, a white one with a red specular colour and a
    high index of refraction. Bottom row: thin glass, thick glass that
    refracts, a green-tinted volume, rough glass. Behind: a chequered wall."""
    p, n, uv, i = quad(4.2, 2.2, z=-1.0)
    wall = g.material(pbrMetallicRoughness={"baseColorTexture": {"index": g.image(png(64, 64, chequer))},
                                            "metallicFactor": 0.0, "roughnessFactor": 0.9})
    g.node(g.primitive(p, i, n, uv), wall)
    p, n, uv, i = sphere(0.4)
    prim = g.primitive(p, i, n, uv)
    red = (0.3, 0.02, 0.02, 1)
    # The clear coat lies in bands across the sphere: its picture's red.
    bands = g.image(png(16, 16, lambda x, y: (255 if (y // 4) % 2 == 0 else 0, 0, 0, 255)))
    glass = dict(KHR_materials_transmission={"transmissionFactor": 1.0})
    spheres = [
        (pbr(red, roughness=1.0), (-1.5, 0.5)),
        (pbr(red, roughness=1.0, extensions={"KHR_materials_clearcoat": {
            "clearcoatFactor": 1.0, "clearcoatRoughnessFactor": 0.0, "clearcoatTexture": {"index": bands}}}),
         (-0.5, 0.5)),
        (pbr((0.05, 0.05, 0.2, 1), roughness=0.9, extensions={"KHR_materials_sheen": {
            "sheenColorFactor": [1.0, 0.5, 0.7], "sheenRoughnessFactor": 0.4}}), (0.5, 0.5)),
        (pbr((0.9, 0.9, 0.9, 1), roughness=0.3, extensions={
            "KHR_materials_specular": {"specularColorFactor": [1.0, 0.2, 0.2]},
            "KHR_materials_ior": {"ior": 2.5}}), (1.5, 0.5)),
        (pbr((1, 1, 1, 1), roughness=0.05, extensions=dict(glass)), (-1.5, -0.5)),
        (pbr((1, 1, 1, 1), roughness=0.05, extensions=dict(glass, KHR_materials_volume={"thicknessFactor": 0.8})),
         (-0.5, -0.5)),
        (pbr((1, 1, 1, 1), roughness=0.05, extensions=dict(glass, KHR_materials_volume={
            "thicknessFactor": 0.8, "attenuationDistance": 0.3, "attenuationColor": [0.2, 0.8, 0.3]})), (0.5, -0.5)),
        (pbr((1, 1, 1, 1), roughness=0.5, extensions=dict(glass)), (1.5, -0.5)),
    ]
    for material, (x, y) in spheres:
        g.node(prim, g.material(**material), (x, y, 0))
    g.doc["extensionsUsed"] = ["KHR_materials_clearcoat", "KHR_materials_sheen", "KHR_materials_specular",
                               "KHR_materials_ior", "KHR_materials_transmission", "KHR_materials_volume"]


def texcoord_sets(g):
    """Three panels whose second set of texture coordinates repeats the
    first's three times: the left reads the first set, the middle the
    second, the right the second as its texture transform names it."""
    p, n, uv, i = quad(1.2, 1.2)
    prim = g.primitive(p, i, n, uv)
    prim["attributes"]["TEXCOORD_1"] = g.accessor([3 * c for c in uv], "VEC2", target=34962)
    picture = g.image(png(64, 64, chequer))
    g.doc["extensionsUsed"] = ["KHR_texture_transform"]
    for x, reference in ((-1.3, {"index": picture}), (0.0, {"index": picture, "texCoord": 1}),
                         (1.3, {"index": picture, "extensions": {"KHR_texture_transform": {"texCoord": 1}}})):
        g.node(prim, g.material(pbrMetallicRoughness={"baseColorTexture": reference, "metallicFactor": 0.0,
                                                      "roughnessFactor": 0.8}), (x, 0, 0))


FILES = {"spheres": spheres, "emissive": emissive, "masked": masked, "blended": blended,
         "double-sided": double_sided, "vertex-colours": vertex_colours, "points": points, "lines": lines,
         "specular-glossiness": specular_glossiness, "lights": lights, "layers": layers,
         "texcoord-sets": texcoord_sets}

if __name__ == "__main__":
    write_files(FILES)
