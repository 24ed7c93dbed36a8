#!/usr/bin/env python3
"""Writes skinned-bar.fbx, an ASCII FBX 7.4 file as character files often
come: in centimetres, Y up, with the skeleton scaled by 100 inside the file
(its bones placed in metres under a scaled "Armature" node). A square bar
40 cm wide and 2 m tall of 8 segments (the glTF bar's size) is skinned to two bones, the lower
half to "Lower", the upper half to "Upper" (1 m up), the ring between to
both; one clip of two seconds bends "Upper" by 60 degrees about Z and back.
Usage: make-fbx.py OUTPUT_FOLDER"""
import os
import sys

from bar import bar_quads, bar_vertices

TICKS = 46186158000  # FBX time units a second


def numbers(values):
    return ",".join(str(v) if isinstance(v, int) else f"{v:g}" for v in values)


def array(name, values, indent):
    tab = "\t" * indent
    return f"{tab}{name}: *{len(values)} {{\n{tab}\ta: {numbers(values)}\n{tab}}}\n"


def bar():
    """The bar of bar.py in centimetres, with each bone's weighted vertices."""
    positions, indices, lower, upper = [], [], [], []
    for v, (x, y, z, weight) in enumerate(bar_vertices(100.0)):
        positions += [x, y, z]
        if weight < 1:
            lower.append((v, 1.0 - weight))
        if weight > 0:
            upper.append((v, weight))
    for a, b, c, d in bar_quads():
        # The last index of a polygon is negated and less one, as FBX marks its end.
        indices += [a, b, c, -d - 1]
    return positions, indices, lower, upper


def model(id_, name, kind, translation=None, scaling=None):
    props = ""
    if translation:
        props += f'\t\t\tP: "Lcl Translation", "Lcl Translation", "", "A",{numbers(translation)}\n'
    if scaling:
        props += f'\t\t\tP: "Lcl Scaling", "Lcl Scaling", "", "A",{numbers(scaling)}\n'
    return (f'\tModel: {id_}, "Model::{name}", "{kind}" {{\n\t\tVersion: 232\n'
            f'\t\tProperties70:  {{\n{props}\t\t}}\n\t}}\n')


def cluster(id_, name, weights, transform, link):
    """transform: from the mesh's frame to the bone's at bind time, as
    exporters write it (the bone's world matrix inverted, times the mesh's);
    link: the bone's world matrix at bind time."""
    return (f'\tDeformer: {id_}, "SubDeformer::{name}", "Cluster" {{\n\t\tVersion: 100\n'
            + array("Indexes", [v for v, _ in weights], 2) + array("Weights", [w for _, w in weights], 2)
            + array("Transform", transform, 2) + array("TransformLink", link, 2) + "\t}\n")


def curve(id_, times, values):
    return (f'\tAnimationCurve: {id_}, "AnimCurve::", "" {{\n\t\tDefault: 0\n\t\tKeyVer: 4009\n'
            + array("KeyTime", [int(t * TICKS) for t in times], 2) + array("KeyValueFloat", values, 2)
            + array("KeyAttrFlags", [8456], 2) + array("KeyAttrDataFloat", [0, 0, 218434821, 0], 2)
            + array("KeyAttrRefCount", [len(times)], 2) + "\t}\n")


def write(path):
    positions, indices, lower, upper = bar()
    # The bones' world matrices at rest (column after column): scaled by 100, Upper 1 m (100 cm) up.
    lower_link = [100, 0, 0, 0, 0, 100, 0, 0, 0, 0, 100, 0, 0, 0, 0, 1]
    upper_link = lower_link[:13] + [100] + lower_link[14:]
    # Their inverses (the mesh stands at the origin unscaled).
    lower_bind = [0.01, 0, 0, 0, 0, 0.01, 0, 0, 0, 0, 0.01, 0, 0, 0, 0, 1]
    upper_bind = lower_bind[:13] + [-1] + lower_bind[14:]
    text = "; FBX 7.4.0 project file\n; A skinned bar 2 m tall in centimetres, its skeleton scaled inside the file.\n"
    text += "FBXHeaderExtension:  {\n\tFBXHeaderVersion: 1003\n\tFBXVersion: 7400\n}\n"
    text += ("GlobalSettings:  {\n\tVersion: 1000\n\tProperties70:  {\n"
             '\t\tP: "UpAxis", "int", "Integer", "",1\n\t\tP: "UpAxisSign", "int", "Integer", "",1\n'
             '\t\tP: "FrontAxis", "int", "Integer", "",2\n\t\tP: "FrontAxisSign", "int", "Integer", "",1\n'
             '\t\tP: "CoordAxis", "int", "Integer", "",0\n\t\tP: "CoordAxisSign", "int", "Integer", "",1\n'
             '\t\tP: "UnitScaleFactor", "double", "Number", "",1\n'
             '\t\tP: "TimeSpanStart", "KTime", "Time", "",0\n'
             f'\t\tP: "TimeSpanStop", "KTime", "Time", "",{2 * TICKS}\n\t}}\n}}\n')
    text += "Objects:  {\n"
    text += ('\tGeometry: 100, "Geometry::Bar", "Mesh" {\n' + array("Vertices", positions, 2)
             + array("PolygonVertexIndex", indices, 2) + "\t\tGeometryVersion: 124\n"
             '\t\tLayerElementMaterial: 0 {\n\t\t\tVersion: 101\n\t\t\tName: ""\n'
             '\t\t\tMappingInformationType: "AllSame"\n\t\t\tReferenceInformationType: "IndexToDirect"\n'
             + array("Materials", [0], 3) + "\t\t}\n"
             '\t\tLayer: 0 {\n\t\t\tVersion: 100\n\t\t\tLayerElement:  {\n\t\t\t\tType: "LayerElementMaterial"\n'
             "\t\t\t\tTypedIndex: 0\n\t\t\t}\n\t\t}\n\t}\n")
    text += model(200, "Bar", "Mesh")
    text += model(300, "Armature", "Null", scaling=[100, 100, 100])
    text += model(400, "Lower", "LimbNode")
    text += model(500, "Upper", "LimbNode", translation=[0, 1, 0])
    text += ('\tMaterial: 600, "Material::Clay", "" {\n\t\tVersion: 102\n\t\tShadingModel: "phong"\n'
             '\t\tProperties70:  {\n\t\t\tP: "DiffuseColor", "Color", "", "A",0.8,0.5,0.3\n\t\t}\n\t}\n')
    text += '\tDeformer: 700, "Deformer::Skin", "Skin" {\n\t\tVersion: 101\n\t\tLink_DeformAcuracy: 50\n\t}\n'
    text += cluster(710, "Lower", lower, lower_bind, lower_link)
    text += cluster(720, "Upper", upper, upper_bind, upper_link)
    text += ('\tAnimationStack: 800, "AnimStack::bend", "" {\n\t\tProperties70:  {\n'
             f'\t\t\tP: "LocalStop", "KTime", "Time", "",{2 * TICKS}\n'
             f'\t\t\tP: "ReferenceStop", "KTime", "Time", "",{2 * TICKS}\n\t\t}}\n\t}}\n')
    text += '\tAnimationLayer: 810, "AnimLayer::BaseLayer", "" {\n\t}\n'
    text += ('\tAnimationCurveNode: 820, "AnimCurveNode::R", "" {\n\t\tProperties70:  {\n'
             '\t\t\tP: "d|X", "Number", "", "A",0\n\t\t\tP: "d|Y", "Number", "", "A",0\n'
             '\t\t\tP: "d|Z", "Number", "", "A",0\n\t\t}\n\t}\n')
    times = [0.0, 1.0, 2.0]
    text += curve(830, times, [0, 0, 0]) + curve(831, times, [0, 0, 0]) + curve(832, times, [0, 60, 0])
    text += "}\n"
    links = [("OO", 100, 200), ("OO", 200, 0), ("OO", 600, 200), ("OO", 300, 0), ("OO", 400, 300),
             ("OO", 500, 400), ("OO", 700, 100), ("OO", 710, 700), ("OO", 720, 700), ("OO", 400, 710),
             ("OO", 500, 720), ("OO", 810, 800), ("OO", 820, 810)]
    text += "Connections:  {\n" + "".join(f'\tC: "{k}",{a},{b}\n' for k, a, b in links)
    text += "".join(f'\tC: "OP",{c},820, "d|{axis}"\n' for c, axis in ((830, "X"), (831, "Y"), (832, "Z")))
    text += '\tC: "OP",820,500, "Lcl Rotation"\n}\n'
    with open(path, "w", newline="\n") as out:
        out.write(text)


if __name__ == "__main__":
    write(os.path.join(sys.argv[1] if len(sys.argv) > 1 else ".", "skinned-bar.fbx"))
