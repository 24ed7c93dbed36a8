#!/usr/bin/env python3
"""Writes two variations of box.gltf beside it, sharing its buffer and
picture: box-variants.gltf, with two material variants
(KHR_materials_variants): "Grey" puts the grey material on the walls and
the roof, "All plain" the roof's plain colour on the walls too; and
box-glowing.gltf, whose walls glow with their picture moved by a share of its size
(KHR_texture_transform on the emissive picture alone)."""
import json
import os

here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, "box.gltf")) as f:
    box = json.load(f)
box.setdefault("extensions", {})["KHR_materials_variants"] = {"variants": [{"name": "Grey"}, {"name": "All plain"}]}
box.setdefault("extensionsUsed", []).append("KHR_materials_variants")
for mesh in box["meshes"]:
    for primitive in mesh["primitives"]:
        primitive.setdefault("extensions", {})["KHR_materials_variants"] = {
            "mappings": [{"material": 0, "variants": [0]}, {"material": 2, "variants": [1]}]}

def write(name, gltf):
    with open(os.path.join(here, name), "w") as f:
        json.dump(gltf, f, indent=1)
        f.write("\n")


write("box-variants.gltf", box)

with open(os.path.join(here, "box.gltf")) as f:
    glowing = json.load(f)
painted = glowing["materials"][1]
painted["emissiveFactor"] = [1.0, 1.0, 1.0]
painted["emissiveTexture"] = {"index": 0, "extensions": {"KHR_texture_transform": {"offset": [0.13, 0.21]}}}
glowing.setdefault("extensionsUsed", []).append("KHR_texture_transform")
write("box-glowing.gltf", glowing)
