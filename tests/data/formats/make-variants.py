#!/usr/bin/env python3
"""Writes box-variants.gltf beside it: box.gltf (sharing its buffer and
picture) with two material variants (KHR_materials_variants): "Grey" puts
the grey material on the walls and the roof, "All plain" the roof's plain
colour on the walls too."""
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
with open(os.path.join(here, "box-variants.gltf"), "w") as f:
    json.dump(box, f, indent=1)
    f.write("\n")
