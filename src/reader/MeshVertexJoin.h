#pragma once

#include "SceneData.h"

namespace qm {

// Joins the vertices of a mesh that agree in every attribute it carries
// (positions, normals, tangents, both texture coordinate sets, colours,
// skin and morph targets) and drops those no primitive uses; the
// primitives are renumbered. Files that give every corner its own vertex
// (FBX, STL) shrink several times before they cross to the viewer, and
// nothing the viewer could tell apart is merged. Vertices are numbered in
// the order the primitives first use them, triangles first.
void joinMeshVertices(SceneMesh& mesh);

}  // namespace qm
