#!/usr/bin/env python3
"""Writes classic.dae: two boxes with classic (Phong) materials, as
exporters write them. The left one says transparency 0 in the A_ONE mode,
which reads as opacity 0: an exporter's mix-up the viewer draws opaque. The
right one is half transparent, standing in front of the left one and partly
over the sky.
Usage: make-classic.py OUTPUT_FOLDER"""
import os
import sys

EFFECT = """    <effect id="{name}-fx" name="{name}">
      <profile_COMMON>
        <technique sid="standard">
          <phong>
            <diffuse><color sid="diffuse">{r} {g} {b} 1</color></diffuse>
            <specular><color sid="specular">0.2 0.2 0.2 1</color></specular>
            <shininess><float sid="shininess">20</float></shininess>
            <transparent opaque="A_ONE"><color sid="transparent">1 1 1 1</color></transparent>
            <transparency><float sid="transparency">{transparency}</float></transparency>
          </phong>
        </technique>
      </profile_COMMON>
    </effect>
"""

SOURCE = """        <source id="{id}">
          <float_array id="{id}-array" count="{count}">{values}</float_array>
          <technique_common>
            <accessor source="#{id}-array" count="{vcount}" stride="3">
              <param name="X" type="float"/><param name="Y" type="float"/><param name="Z" type="float"/>
            </accessor>
          </technique_common>
        </source>
"""

GEOMETRY = """    <geometry id="{name}-mesh" name="{name}">
      <mesh>
{sources}        <vertices id="{name}-vertices">
          <input semantic="POSITION" source="#{name}-positions"/>
          <input semantic="NORMAL" source="#{name}-normals"/>
        </vertices>
        <triangles material="{material}" count="{tcount}">
          <input semantic="VERTEX" source="#{name}-vertices" offset="0"/>
          <p>{indices}</p>
        </triangles>
      </mesh>
    </geometry>
"""

NODE = """      <node id="{name}" name="{name}">
        <translate>{x} {y} {z}</translate>
        <instance_geometry url="#{name}-mesh">
          <bind_material><technique_common>
            <instance_material symbol="{material}" target="#{material}"/>
          </technique_common></bind_material>
        </instance_geometry>
      </node>
"""


def box(half):
    """A box of flat faces: 24 vertices, 12 counter-clockwise triangles."""
    positions, normals, indices = [], [], []
    for axis in range(3):
        for sign in (1, -1):
            normal = [0, 0, 0]
            normal[axis] = sign
            u, v = (axis + 1) % 3, (axis + 2) % 3
            first = len(positions)
            for a, b in ((-1, -1), (1, -1), (1, 1), (-1, 1)):
                p = [0, 0, 0]
                p[axis] = sign * half[axis]
                p[u] = a * half[u]
                p[v] = b * sign * half[v]
                positions.append(p)
                normals.append(normal)
            indices += [first, first + 1, first + 2, first, first + 2, first + 3]
    return positions, normals, indices


def flat(rows):
    return " ".join(f"{x:g}" for row in rows for x in row)


def main(folder):
    boxes = [("Left", "Clay", (0.8, 0.45, 0.2), 0, (0.6, 0.6, 0.6), (-0.4, 0, 0)),
             ("Right", "Glass", (0.2, 0.5, 0.9), 0.5, (0.5, 0.9, 0.5), (0.5, 0.25, 0.8))]
    effects = "".join(EFFECT.format(name=m, r=c[0], g=c[1], b=c[2], transparency=t) for _, m, c, t, _, _ in boxes)
    materials = "".join(f'    <material id="{m}" name="{m}"><instance_effect url="#{m}-fx"/></material>\n'
                        for _, m, _, _, _, _ in boxes)
    geometries, nodes = "", ""
    for name, material, _, _, half, (x, y, z) in boxes:
        p, n, i = box(half)
        sources = "".join(SOURCE.format(id=f"{name}-{kind}", count=3 * len(p), vcount=len(p), values=flat(rows))
                          for kind, rows in (("positions", p), ("normals", n)))
        geometries += GEOMETRY.format(name=name, material=material, sources=sources, tcount=len(i) // 3,
                                      indices=" ".join(map(str, i)))
        nodes += NODE.format(name=name, material=material, x=x, y=y, z=z)
    text = ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">\n'
            '  <asset><unit name="meter" meter="1"/><up_axis>Y_UP</up_axis></asset>\n'
            f'  <library_effects>\n{effects}  </library_effects>\n'
            f'  <library_materials>\n{materials}  </library_materials>\n'
            f'  <library_geometries>\n{geometries}  </library_geometries>\n'
            f'  <library_visual_scenes>\n    <visual_scene id="Scene" name="Scene">\n{nodes}'
            '    </visual_scene>\n  </library_visual_scenes>\n'
            '  <scene><instance_visual_scene url="#Scene"/></scene>\n'
            '</COLLADA>\n')
    with open(os.path.join(folder, "classic.dae"), "w") as out:
        out.write(text)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__)))
